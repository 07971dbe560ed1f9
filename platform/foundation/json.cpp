#include "platform/foundation/json.h"

#include "platform/foundation/json_reader.h"

#include <array>

namespace foundation {

static_assert(JSONSerialization::maximumNestingDepth == json_reader::maximumNestingDepth);

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
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        auto number = valueOfJSONNumber(std::string_view(text, length));
        return number && std::visit([this](auto value) { return add(value); }, *number);
    }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        return json_reader::isValidString(text, length) && add(std::string(text, length));
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        key_.assign(text, length);
        return json_reader::isValidString(text, length);
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
    std::array<JSONValue*, json_reader::maximumNestingDepth> open_;
    std::size_t depth_ = 0;
    std::string key_;
};

} // namespace

std::optional<JSONValue> JSONSerialization::JSONObjectWithData(Data text, ReadingOptions options) {
    return JSONObjectInPlace(text.data(), text.size(), options);
}

std::optional<JSONValue> JSONSerialization::JSONObjectInPlace(char* text, std::size_t length,
                                                              ReadingOptions options) {
    ValueBuilder builder;
    if (!json_reader::readInPlace(text, length, builder))
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
