#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace foundation {

// What can be told of a JSON text without building its value: whether it is an object, the
// object's first key, and that key's value when it is a string. It agrees with the value
// JSONSerialization builds: the same texts are JSON, and a key written again keeps its first place
// but takes the later value.
struct JSONOutline {
    bool isObject = false;
    std::optional<std::string_view> firstKey;
    std::optional<std::string_view> firstKeyString;

    // Reads the text in place: it must be followed by a NUL, and is overwritten; the views point
    // into it. None when the text is not JSON; a bare string, number, Boolean or null is JSON.
    static std::optional<JSONOutline> readInPlace(char* text, std::size_t length);
};

} // namespace foundation
