#include "platform/foundation/json_number.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace foundation {

namespace {

// The power of ten of the number's first significant digit (so "120" is 2 and "0.05" is -2),
// enough to tell an overflow from an underflow.
long long decimalMagnitude(std::string_view text) {
    std::size_t exponentAt = std::min(text.find_first_of("eE"), text.size());
    std::string_view mantissa = text.substr(0, exponentAt);
    if (!mantissa.empty() && mantissa.front() == '-')
        mantissa.remove_prefix(1);
    std::string_view whole = mantissa.substr(0, std::min(mantissa.find('.'), mantissa.size()));
    whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
    long long magnitude = static_cast<long long>(whole.size()) - 1;
    if (whole.empty()) {
        std::string_view fraction = mantissa.substr(std::min(mantissa.find('.') + 1, mantissa.size()));
        magnitude = -1 - static_cast<long long>(std::min(fraction.find_first_not_of('0'), fraction.size()));
    }
    if (exponentAt < text.size()) {
        std::string_view exponent = text.substr(exponentAt + 1);
        if (!exponent.empty() && exponent.front() == '+')
            exponent.remove_prefix(1);
        long long value = 0;
        auto [end, error] = std::from_chars(exponent.data(), exponent.data() + exponent.size(), value);
        if (error == std::errc::result_out_of_range)
            value =
                exponent.front() == '-' ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
        magnitude +=
            std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    }
    return magnitude;
}

template <typename Integer> std::optional<Integer> integerValue(std::string_view text) {
    Integer value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
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
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (decimalMagnitude(text) > 0)
            return std::nullopt;
        return text.front() == '-' ? -0.0 : 0.0;
    }
    if (error != std::errc())
        return std::nullopt;
    return value;
}

} // namespace foundation
