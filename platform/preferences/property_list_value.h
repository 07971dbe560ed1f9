#pragma once

#include <concepts>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace foundation {

class PropertyListValue;

// Seconds since 2001-01-01 00:00:00 UTC, the reference date of property lists.
struct PropertyListDate {
    double secondsSinceReferenceDate = 0;
    bool operator==(const PropertyListDate&) const = default;
};

// The bytes of a <data> entry: not text.
struct PropertyListData {
    std::string bytes;
    bool operator==(const PropertyListData&) const = default;
};

using PropertyListArray = std::vector<PropertyListValue>;
// Sorted by key, byte by byte: neither format gives keys a meaningful order, and a sorted map keeps
// look-ups fast in large files. A key given twice keeps its last value.
using PropertyListDictionary = std::map<std::string, PropertyListValue, std::less<>>;

// One value of a property list: text, integer, real, Boolean, date, data, array or dictionary.
// Integers are 64-bit signed, as both formats store them.
class PropertyListValue {
public:
    using Storage = std::variant<std::string, std::int64_t, double, bool, PropertyListDate, PropertyListData,
                                 PropertyListArray, PropertyListDictionary>;

    PropertyListValue(std::string text) : storage_(std::move(text)) {}
    PropertyListValue(const char* text) : storage_(std::string(text)) {}
    template <std::integral Integer>
    requires(!std::same_as<Integer, bool>) PropertyListValue(Integer integer)
        : storage_(static_cast<std::int64_t>(integer)) {}
    PropertyListValue(double real) : storage_(real) {}
    PropertyListValue(bool boolean) : storage_(boolean) {}
    PropertyListValue(PropertyListDate date) : storage_(date) {}
    PropertyListValue(PropertyListData data) : storage_(std::move(data)) {}
    PropertyListValue(PropertyListArray array) : storage_(std::move(array)) {}
    PropertyListValue(PropertyListDictionary dictionary) : storage_(std::move(dictionary)) {}

    // Each gives nothing when the value is of another kind; an integer is not a real, nor a
    // Boolean, and the other way round.
    const std::string* text() const { return std::get_if<std::string>(&storage_); }
    std::optional<std::int64_t> integer() const;
    std::optional<double> real() const;
    std::optional<bool> boolean() const;
    const PropertyListDate* date() const { return std::get_if<PropertyListDate>(&storage_); }
    const PropertyListData* data() const { return std::get_if<PropertyListData>(&storage_); }
    const PropertyListArray* array() const { return std::get_if<PropertyListArray>(&storage_); }
    const PropertyListDictionary* dictionary() const {
        return std::get_if<PropertyListDictionary>(&storage_);
    }
    PropertyListArray* array() { return std::get_if<PropertyListArray>(&storage_); }
    PropertyListDictionary* dictionary() { return std::get_if<PropertyListDictionary>(&storage_); }

    const Storage& storage() const { return storage_; }
    bool operator==(const PropertyListValue& other) const { return storage_ == other.storage_; }

private:
    Storage storage_;
};

// The value under a key; null when the dictionary has none.
const PropertyListValue* valueForKey(const PropertyListDictionary& dictionary, std::string_view key);

} // namespace foundation
