#include "platform/preferences/property_list_value.h"

namespace foundation {

namespace {

template <typename T> std::optional<T> valueOf(const PropertyListValue::Storage& storage) {
    if (const T* value = std::get_if<T>(&storage))
        return *value;
    return std::nullopt;
}

} // namespace

std::optional<std::int64_t> PropertyListValue::integer() const {
    return valueOf<std::int64_t>(storage_);
}

std::optional<double> PropertyListValue::real() const {
    return valueOf<double>(storage_);
}

std::optional<bool> PropertyListValue::boolean() const {
    return valueOf<bool>(storage_);
}

const PropertyListValue* valueForKey(const PropertyListDictionary& dictionary, std::string_view key) {
    auto found = dictionary.find(key);
    return found == dictionary.end() ? nullptr : &found->second;
}

} // namespace foundation
