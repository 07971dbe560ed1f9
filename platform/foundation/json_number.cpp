#include "platform/foundation/json_number.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <system_error>

namespace foundation {

namespace {

template <typename Integer> std::optional<Integer> integerValue(std::string_view text) {
    Integer value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// glibc's strtod rounds correctly; the C locale keeps "." the decimal point whatever the program
// set. (std::from_chars would pull the maths library into the host's start-up for this alone.)
std::optional<double> doubleValue(std::string_view text) {
    static locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", nullptr);
    std::string terminated(text);
    errno = 0;
    double value = ::strtod_l(terminated.c_str(), nullptr, cLocale);
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt; // too large for a double; too small is zero, or nearly
    return value;
}

} // namespace

std::optional<std::variant<std::int64_t, std::uint64_t, double>> valueOfJSONNumber(std::string_view text) {
    if (text.find_first_of(".eE") == std::string_view::npos) {
        if (auto value = integerValue<std::int64_t>(text); value && *value < 0)
            return *value;
        if (auto value = integerValue<std::uint64_t>(text))
            return *value;
    }
    if (auto value = doubleValue(text))
        return *value;
    return std::nullopt;
}

} // namespace foundation
