#include "platform/foundation/json.h"

#include "platform/foundation/json_key_places.h"
#include "platform/foundation/json_reader.h"

#include <array>
#include <string_view>

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
    using Members = JSONValue::object_t::Container;

    static Members& membersOf(JSONValue& object) { return object.get_ref<JSONValue::object_t&>(); }

    // Where the next value goes: the root, the end of the open array, or the open object's key.
    // A member is appended without looking its key up, which would make building an object of
    // many keys quadratic; a key written twice is settled when its object closes.
    JSONValue& place(JSONValue value) {
        if (depth_ == 0)
            return root_ = std::move(value);
        JSONValue& container = *open_[depth_ - 1];
        if (container.is_array()) {
            container.push_back(std::move(value));
            return container.back();
        }
        Members& members = membersOf(container);
        members.emplace_back(std::move(key_), std::move(value));
        return members.back().second;
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
        JSONValue& container = *open_[--depth_];
        if (container.is_object() && container.size() > 1)
            settleRepeatedKeys(membersOf(container));
        return true;
    }
    // A key written twice keeps its first place and takes its last value, as setting it in turn
    // would.
    void settleRepeatedKeys(Members& members) {
        places_.reset(members.size());
        auto keyOf = [&](std::size_t place) -> std::string_view { return members[place].first; };
        bool repeated = false;
        for (std::size_t i = 0; i < members.size() && !repeated; ++i)
            repeated = places_.findOrAdd(members[i].first, i, keyOf) != KeyPlaces::none;
        if (!repeated)
            return;
        Members settled;
        places_.reset(members.size());
        auto settledKey = [&](std::size_t place) -> std::string_view { return settled[place].first; };
        for (auto& [key, value] : members) {
            std::size_t earlier = places_.findOrAdd(key, settled.size(), settledKey);
            if (earlier == KeyPlaces::none)
                settled.emplace_back(key, std::move(value));
            else
                settled[earlier].second = std::move(value);
        }
        members = std::move(settled);
    }

    JSONValue root_;
    // The containers still open; entries past depth_ are never read, so they are left unset.
    std::array<JSONValue*, json_reader::maximumNestingDepth> open_;
    std::size_t depth_ = 0;
    std::string key_;
    KeyPlaces places_;
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
