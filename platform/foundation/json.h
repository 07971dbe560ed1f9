#pragma once

#include "platform/foundation/data.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace foundation {

// Objects keep the key order of the text, so an object's first key is the first one written.
using JSONValue = nlohmann::ordered_json;

class JSONSerialization {
public:
    enum ReadingOptions : unsigned {
        none = 0,
        fragmentsAllowed = 4, // a bare string, number, Boolean or null is a whole text too
    };
    // Deeper texts are refused, as the frameworks do, so that nothing recursive can run out of stack.
    static constexpr int maximumNestingDepth = 512;

    // The value of a UTF-8 JSON text; none when the text is not JSON (or not an array or object
    // without fragmentsAllowed). The text is parsed in place: hand it over with std::move to spare
    // a copy of a large message.
    static std::optional<JSONValue> JSONObjectWithData(Data text, ReadingOptions options);
    // The same, reading the text where it lies: it must be followed by a NUL, and is overwritten.
    static std::optional<JSONValue> JSONObjectInPlace(char* text, std::size_t length, ReadingOptions options);

    // Compact text of a value, for diagnostics.
    static std::string description(const JSONValue& value);
};

} // namespace foundation
