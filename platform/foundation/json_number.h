#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

namespace foundation {

// The value of a JSON number, already checked against the JSON grammar: an integer when it has
// no fraction or exponent and fits 64 bits, else the nearest double. None when its magnitude is
// too large for a double; a number too small for one is zero.
std::optional<std::variant<std::int64_t, std::uint64_t, double>> valueOfJSONNumber(std::string_view text);

} // namespace foundation
