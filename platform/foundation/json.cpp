#include "platform/foundation/json.h"

#include <array>

// RapidJSON's vector scan reads whole aligned blocks, past the end of the text, which the
// address sanitizer would report.
#if defined(__SSE2__) && !defined(__SANITIZE_ADDRESS__) && !defined(VANTREL_SANITIZE)
#define RAPIDJSON_SSE2
#endif
#include "platform/foundation/json_number.h"
#include "platform/foundation/string_encoding.h"

#include <rapidjson/allocators.h>
#include <rapidjson/reader.h>

namespace foundation {

namespace {

// Builds a JSONValue from the reader's events, refusing texts nested too deeply.
class ValueBuilder {
public:
    using Ch = char;

    bool Null() { return add(nullptr); }
    bool Bool(bool value) { return add(value); }
    bool Int(int value) { return add(static_cast<std::int64_t>(value)); }
    bool Uint(unsigned value) { return add(static_cast<std::uint64_t>(value)); }
    bool Int64(std::int64_t value) { return add(value); }
    bool Uint64(std::uint64_t value) { return add(value); }
    bool Double(double value) { return add(value); }
    // Numbers come as text and are converted here: the reader's own conversion of some long
    // numbers reads outside its tables.
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        auto number = valueOfJSONNumber(std::string_view(text, length));
        return number && std::visit([this](auto value) { return add(value); }, *number);
    }
    // Strings are checked once decoded, which also catches a lone surrogate written as an escape.
    bool String(const char* text, rapidjson::SizeType length, bool) {
        std::string_view string(text, length);
        return isValidUTF8(string) && add(std::string(string));
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        key_.assign(text, length);
        return isValidUTF8(key_);
    }
    bool StartObject() { return open(JSONValue::object()); }
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool StartArray() { return open(JSONValue::array()); }
    bool EndArray(rapidjson::SizeType) { return close(); }

    JSONValue takeRoot() { return std::move(root_); }

private:
    // Where the next value goes: the root, the end of the open array, or the open object's key.
    JSONValue& place(JSONValue value) {
        if (depth_ == 0)
            return root_ = std::move(value);
        JSONValue& container = *open_[depth_ - 1];
        if (container.is_array()) {
            container.push_back(std::move(value));
            return container.back();
        }
        return container[key_] = std::move(value);
    }
    bool add(JSONValue value) {
        place(std::move(value));
        return true;
    }
    bool open(JSONValue container) {
        if (depth_ == open_.size())
            return false;
        // The parent is not touched again until this container closes, so the pointer stays valid.
        open_[depth_++] = &place(std::move(container));
        return true;
    }
    bool close() {
        --depth_;
        return true;
    }

    JSONValue root_;
    // The containers still open; entries past depth_ are never read, so they are left unset.
    std::array<JSONValue*, JSONSerialization::maximumNestingDepth> open_;
    std::size_t depth_ = 0;
    std::string key_;
};

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::optional<JSONValue> JSONSerialization::JSONObjectWithData(Data text, ReadingOptions options) {
    std::size_t start = std::string_view(text).starts_with(byteOrderMark) ? byteOrderMark.size() : 0;
    // A raw NUL is never part of a JSON text; refusing it here lets the reader stop at the terminator.
    if (text.find('\0') != std::string::npos)
        return std::nullopt;
    // The reader's own stack starts in a buffer here, so a small message needs no allocation for it.
    char stackBuffer[1024];
    rapidjson::MemoryPoolAllocator<> stackAllocator(stackBuffer, sizeof stackBuffer);
    rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<>> reader(
        &stackAllocator, 256);
    rapidjson::InsituStringStream stream(text.data() + start);
    ValueBuilder builder;
    constexpr unsigned flags =
        rapidjson::kParseInsituFlag | rapidjson::kParseIterativeFlag | rapidjson::kParseNumbersAsStringsFlag;
    if (reader.Parse<flags>(stream, builder).IsError())
        return std::nullopt;
    JSONValue value = builder.takeRoot();
    if (!(options & fragmentsAllowed) && !value.is_object() && !value.is_array())
        return std::nullopt;
    return value;
}

std::string JSONSerialization::description(const JSONValue& value) {
    return value.dump(-1, ' ', false, JSONValue::error_handler_t::replace);
}

} // namespace foundation
