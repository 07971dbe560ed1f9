#include "platform/preferences/libplist_node.h"

#include "platform/foundation/string_encoding.h"
#include "platform/preferences/property_list_limits.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace foundation {

namespace {

// Frees what libplist hands over with malloc.
struct MallocDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

class NodeReader {
public:
    explicit NodeReader(std::string* reason) : reason_(reason) {}

    std::optional<PropertyListValue> read(plist_t node, std::size_t depth);

private:
    std::optional<PropertyListValue> readArray(plist_t node, std::size_t depth);
    std::optional<PropertyListValue> readDictionary(plist_t node, std::size_t depth);
    std::optional<PropertyListValue> refuse(const std::string& why) {
        if (reason_)
            *reason_ = why;
        return std::nullopt;
    }

    std::string* reason_;
};

std::optional<PropertyListValue> NodeReader::read(plist_t node, std::size_t depth) {
    switch (::plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        ::plist_get_bool_val(node, &value);
        return PropertyListValue(value != 0);
    }
    case PLIST_UINT: {
        std::uint64_t value = 0;
        ::plist_get_uint_val(node, &value);
        return PropertyListValue(
            static_cast<std::int64_t>(value)); // negative numbers come as two's complement
    }
    case PLIST_REAL: {
        double value = 0;
        ::plist_get_real_val(node, &value);
        return PropertyListValue(value);
    }
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = ::plist_get_string_ptr(node, &length);
        return PropertyListValue(text ? std::string(text, length) : std::string());
    }
    case PLIST_DATE: {
        std::int32_t seconds = 0, microseconds = 0;
        ::plist_get_date_val(node, &seconds, &microseconds);
        return PropertyListValue(PropertyListDate{seconds + microseconds / 1e6});
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = ::plist_get_data_ptr(node, &length);
        return PropertyListValue(PropertyListData{bytes ? std::string(bytes, length) : std::string()});
    }
    case PLIST_ARRAY:
        return readArray(node, depth);
    case PLIST_DICT:
        return readDictionary(node, depth);
    default:
        return refuse("it holds a value of a kind settings do not use");
    }
}

std::optional<PropertyListValue> NodeReader::readArray(plist_t node, std::size_t depth) {
    if (depth > maximumPropertyListDepth)
        return refuse("nested deeper than " + std::to_string(maximumPropertyListDepth) + " levels");
    plist_array_iter iterator = nullptr;
    ::plist_array_new_iter(node, &iterator);
    std::unique_ptr<void, MallocDeleter> ownIterator(iterator);
    PropertyListArray array;
    for (;;) {
        plist_t item = nullptr;
        ::plist_array_next_item(node, iterator, &item);
        if (item == nullptr)
            return PropertyListValue(std::move(array));
        auto value = read(item, depth + 1);
        if (!value)
            return std::nullopt;
        array.push_back(std::move(*value));
    }
}

std::optional<PropertyListValue> NodeReader::readDictionary(plist_t node, std::size_t depth) {
    if (depth > maximumPropertyListDepth)
        return refuse("nested deeper than " + std::to_string(maximumPropertyListDepth) + " levels");
    plist_dict_iter iterator = nullptr;
    ::plist_dict_new_iter(node, &iterator);
    std::unique_ptr<void, MallocDeleter> ownIterator(iterator);
    PropertyListDictionary dictionary;
    for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        ::plist_dict_next_item(node, iterator, &key, &item);
        std::unique_ptr<char, MallocDeleter> ownKey(key);
        if (item == nullptr)
            return PropertyListValue(std::move(dictionary));
        auto value = read(item, depth + 1);
        if (!value)
            return std::nullopt;
        dictionary.insert_or_assign(key ? std::string(key) : std::string(), std::move(*value));
    }
}

// XML 1.0 has no way to write the other control characters; libplist drops them silently.
bool isWritableText(std::string_view text) {
    if (!isValidUTF8(text))
        return false;
    for (unsigned char c : text)
        if (c < 0x20 && c != '\t' && c != '\n')
            return false;
    return true;
}

class NodeWriter {
public:
    explicit NodeWriter(std::string* reason) : reason_(reason) {}

    LibplistNode write(const PropertyListValue& value, const std::string& where, std::size_t depth);

private:
    LibplistNode writeText(const std::string& text, const std::string& where);
    LibplistNode writeDate(PropertyListDate date, const std::string& where);
    LibplistNode writeArray(const PropertyListArray& array, const std::string& where, std::size_t depth);
    LibplistNode writeDictionary(const PropertyListDictionary& dictionary, const std::string& where,
                                 std::size_t depth);
    LibplistNode refuse(const std::string& where, const std::string& why) {
        if (reason_)
            *reason_ = (where.empty() ? "the value" : "the value of \"" + where + "\"") + " " + why;
        return nullptr;
    }

    std::string* reason_;
};

LibplistNode NodeWriter::write(const PropertyListValue& value, const std::string& where, std::size_t depth) {
    if (auto text = value.text())
        return writeText(*text, where);
    if (auto integer = value.integer())
        return LibplistNode(::plist_new_uint(static_cast<std::uint64_t>(*integer)));
    if (auto real = value.real())
        return LibplistNode(::plist_new_real(*real));
    if (auto boolean = value.boolean())
        return LibplistNode(::plist_new_bool(*boolean ? 1 : 0));
    if (auto date = value.date())
        return writeDate(*date, where);
    if (auto data = value.data())
        return LibplistNode(::plist_new_data(data->bytes.data(), data->bytes.size()));
    if (depth > maximumPropertyListDepth)
        return refuse(where, "is nested deeper than " + std::to_string(maximumPropertyListDepth) + " levels");
    if (auto array = value.array())
        return writeArray(*array, where, depth);
    return writeDictionary(*value.dictionary(), where, depth);
}

LibplistNode NodeWriter::writeText(const std::string& text, const std::string& where) {
    if (!isWritableText(text))
        return refuse(where, "is not UTF-8 text without control characters");
    return LibplistNode(::plist_new_string(text.c_str()));
}

LibplistNode NodeWriter::writeDate(PropertyListDate date, const std::string& where) {
    double seconds = std::floor(date.secondsSinceReferenceDate);
    if (!(seconds >= std::numeric_limits<std::int32_t>::min() &&
          seconds <= std::numeric_limits<std::int32_t>::max()))
        return refuse(where, "is a date outside 1933 to 2069, which libplist cannot store");
    auto microseconds =
        static_cast<std::int32_t>(std::lround((date.secondsSinceReferenceDate - seconds) * 1e6));
    return LibplistNode(::plist_new_date(static_cast<std::int32_t>(seconds), std::min(microseconds, 999999)));
}

LibplistNode NodeWriter::writeArray(const PropertyListArray& array, const std::string& where,
                                    std::size_t depth) {
    LibplistNode node(::plist_new_array());
    for (const auto& item : array) {
        auto child = write(item, where, depth + 1);
        if (!child)
            return nullptr;
        ::plist_array_append_item(node.get(), child.release());
    }
    return node;
}

LibplistNode NodeWriter::writeDictionary(const PropertyListDictionary& dictionary, const std::string& where,
                                         std::size_t depth) {
    LibplistNode node(::plist_new_dict());
    for (const auto& [key, item] : dictionary) {
        std::string path = where.empty() ? key : where + "." + key;
        if (!isWritableText(key))
            return refuse(path, "has a key that is not UTF-8 text without control characters");
        auto child = write(item, path, depth + 1);
        if (!child)
            return nullptr;
        ::plist_dict_set_item(node.get(), key.c_str(), child.release());
    }
    return node;
}

} // namespace

std::optional<PropertyListValue> propertyListValueFromNode(plist_t node, std::string* reason) {
    return NodeReader(reason).read(node, 1);
}

LibplistNode nodeFromPropertyListValue(const PropertyListValue& value, std::string* reason) {
    return NodeWriter(reason).write(value, "", 1);
}

} // namespace foundation
