#include "platform/foundation/json.h"

namespace foundation {

namespace {

struct NestingTooDeep {};

bool opensContainer(JSONValue::parse_event_t event) {
    return event == JSONValue::parse_event_t::object_start || event == JSONValue::parse_event_t::array_start;
}

} // namespace

std::optional<JSONValue> JSONSerialization::JSONObjectWithData(ByteView data, ReadingOptions options) {
    auto refuseDeepNesting = [](int depth, JSONValue::parse_event_t event, JSONValue&) {
        if (opensContainer(event) && depth >= maximumNestingDepth)
            throw NestingTooDeep{};
        return true;
    };
    JSONValue value;
    try {
        value = JSONValue::parse(data.begin(), data.end(), refuseDeepNesting, /*allow_exceptions=*/false);
    } catch (const NestingTooDeep&) {
        return std::nullopt;
    }
    if (value.is_discarded())
        return std::nullopt;
    if (!(options & fragmentsAllowed) && !value.is_object() && !value.is_array())
        return std::nullopt;
    return value;
}

std::string JSONSerialization::description(const JSONValue& value) {
    return value.dump(-1, ' ', false, JSONValue::error_handler_t::replace);
}

} // namespace foundation
