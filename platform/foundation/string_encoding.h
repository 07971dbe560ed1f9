#pragma once

#include "platform/foundation/data.h"

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Well-formed UTF-8 only: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUTF8(std::string_view bytes);

// The bytes as a string when they are valid UTF-8; none otherwise. Empty bytes give "".
std::optional<std::string> stringWithUTF8(Data bytes);

// The debug form of an optional string: Optional("…") with the text as an escaped string
// literal, or nil.
std::string debugDescription(const std::optional<std::string>& text);

} // namespace foundation
