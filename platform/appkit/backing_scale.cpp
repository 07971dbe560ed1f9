#include "platform/appkit/backing_scale.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace appkit {

namespace {

constexpr double smallestScale = 1;
constexpr double largestScale = 4;

} // namespace

std::optional<double> forcedBackingScale(std::string* problem) {
    const char* text = std::getenv("VANTREL_BACKING_SCALE");
    if (text == nullptr || text[0] == '\0')
        return std::nullopt;
    std::string_view value(text);
    double scale = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), scale);
    if (error == std::errc() && end == value.data() + value.size() && scale >= smallestScale &&
        scale <= largestScale)
        return scale;
    if (problem != nullptr)
        *problem = "VANTREL_BACKING_SCALE=" + std::string(value) + " is not a number from 1 to 4; ignored";
    return std::nullopt;
}

} // namespace appkit
