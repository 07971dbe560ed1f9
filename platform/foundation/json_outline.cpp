#include "platform/foundation/json_outline.h"

#include "platform/foundation/json_reader.h"

namespace foundation {

namespace {

// Follows the reader's events with the checks the value builder makes, noting only what the
// outline needs.
class OutlineHandler {
public:
    using Ch = char;

    bool Null() { return value(std::nullopt); }
    bool Bool(bool) { return value(std::nullopt); }
    bool Int(int) { return value(std::nullopt); }
    bool Uint(unsigned) { return value(std::nullopt); }
    bool Int64(std::int64_t) { return value(std::nullopt); }
    bool Uint64(std::uint64_t) { return value(std::nullopt); }
    bool Double(double) { return value(std::nullopt); }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        return json_reader::isValidNumber(text, length) && value(std::nullopt);
    }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        return json_reader::isValidString(text, length) && value(std::string_view(text, length));
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        if (!json_reader::isValidString(text, length))
            return false;
        if (depth_ == 1)
            keyOfFirstEntry(std::string_view(text, length));
        return true;
    }
    bool StartObject() {
        if (depth_ == 0)
            outline_.isObject = true;
        return value(std::nullopt) && open();
    }
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool StartArray() { return value(std::nullopt) && open(); }
    bool EndArray(rapidjson::SizeType) { return close(); }

    const JSONOutline& outline() const { return outline_; }

private:
    void keyOfFirstEntry(std::string_view key) {
        if (!outline_.firstKey)
            outline_.firstKey = key;
        valueOfFirstKeyNext_ = key == *outline_.firstKey;
    }
    // Every value passes here before it is read: the one that follows the first key (in its
    // last place) decides the string.
    bool value(std::optional<std::string_view> string) {
        if (depth_ == 1 && valueOfFirstKeyNext_) {
            outline_.firstKeyString = string;
            valueOfFirstKeyNext_ = false;
        }
        return true;
    }
    bool open() {
        if (depth_ == json_reader::maximumNestingDepth)
            return false;
        ++depth_;
        return true;
    }
    bool close() {
        --depth_;
        return true;
    }

    JSONOutline outline_;
    std::size_t depth_ = 0;
    bool valueOfFirstKeyNext_ = false;
};

} // namespace

std::optional<JSONOutline> JSONOutline::readInPlace(char* text, std::size_t length) {
    OutlineHandler handler;
    if (!json_reader::readInPlace(text, length, handler))
        return std::nullopt;
    return handler.outline();
}

} // namespace foundation
