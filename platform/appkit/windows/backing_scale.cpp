#include "platform/appkit/windows/backing_scale.h"

#include "platform/foundation/environment_switches.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace appkit {

namespace {

constexpr double smallestScale = 1;
constexpr double largestScale = 4;
constexpr double dotsPerInchAtScale1 = 96;
constexpr double scaleStepsPerUnit = 4; // steps of 0.25

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\r";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<double> positiveNumber(std::string_view text) {
    text = trimmed(text);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value > 0) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double inScaleSteps(double scale) {
    return std::clamp(std::round(scale * scaleStepsPerUnit) / scaleStepsPerUnit, smallestScale, largestScale);
}

// The value of "name:" on a line of its own; the last one wins, as when xrdb merges.
std::optional<std::string_view> resourceValue(std::string_view resources, std::string_view name) {
    std::optional<std::string_view> found;
    while (!resources.empty()) {
        auto end = resources.find('\n');
        auto line = trimmed(resources.substr(0, end));
        resources = end == std::string_view::npos ? std::string_view() : resources.substr(end + 1);
        auto colon = line.find(':');
        if (colon != std::string_view::npos && trimmed(line.substr(0, colon)) == name)
            found = line.substr(colon + 1);
    }
    return found;
}

} // namespace

std::optional<double> forcedBackingScale(std::string* problem) {
    auto text = foundation::environment_switches::backingScale();
    if (!text)
        return std::nullopt;
    std::string_view value(*text);
    double scale = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), scale);
    if (error == std::errc() && end == value.data() + value.size() && scale >= smallestScale &&
        scale <= largestScale)
        return scale;
    if (problem != nullptr)
        *problem = "VANTREL_BACKING_SCALE=" + std::string(value) + " is not a number from 1 to 4; ignored";
    return std::nullopt;
}

std::optional<double> scaleFromGdkScale(std::string_view text) {
    auto scale = positiveNumber(text);
    return scale ? std::optional(inScaleSteps(*scale)) : std::nullopt;
}

std::optional<double> scaleFromXResources(std::string_view resources) {
    auto text = resourceValue(resources, "Xft.dpi");
    auto dpi = text ? positiveNumber(*text) : std::nullopt;
    return dpi ? std::optional(inScaleSteps(*dpi / dotsPerInchAtScale1)) : std::nullopt;
}

std::optional<double> x11DesktopScale(const char* gdkScale, std::string_view resources) {
    if (auto scale = gdkScale != nullptr ? scaleFromGdkScale(gdkScale) : std::nullopt)
        return scale;
    return scaleFromXResources(resources);
}

} // namespace appkit
