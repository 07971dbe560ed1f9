#include "tools/uisnap/snapshot_options.h"

namespace uisnap {

namespace {

constexpr double smallestScale = 1;
constexpr double largestScale = 4;

bool fail(std::string* error, std::string message) {
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

bool takeOption(std::string_view name, std::string_view value, SnapshotOptions& options, std::string* error) {
    if (name == "--scale") {
        auto scale = parseNumber(value);
        if (!scale || *scale < smallestScale || *scale > largestScale)
            return fail(error, "--scale needs a number from 1 to 4, not \"" + std::string(value) + "\"");
        options.scale = *scale;
        return true;
    }
    if (name == "--time") {
        auto time = parseNumber(value);
        if (!time || *time < 0 || *time > longestPlayedTime)
            return fail(error, "--time needs seconds from 0 to " +
                                   std::to_string(static_cast<int>(longestPlayedTime)) + ", not \"" +
                                   std::string(value) + "\"");
        options.time = *time;
        return true;
    }
    if (name == "--events") {
        auto events = parseEventScript(value, error);
        if (!events)
            return false;
        options.events = std::move(*events);
        return true;
    }
    if (name == "--resources") {
        if (value.empty())
            return fail(error, "--resources needs a folder");
        options.resources = std::filesystem::path(value);
        return true;
    }
    if (name == "--help-popover") {
        if (value.empty())
            return fail(error, "--help-popover needs an object id");
        options.helpPopoverFor = std::string(value);
        return true;
    }
    return fail(error, "unknown option " + std::string(name));
}

} // namespace

std::optional<SnapshotOptions> parseSnapshotOptions(std::span<const std::string_view> arguments,
                                                    std::string* error) {
    SnapshotOptions options;
    std::vector<std::string_view> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (!argument.starts_with("--")) {
            files.push_back(argument);
            continue;
        }
        if (argument != "--scale" && argument != "--time" && argument != "--events" &&
            argument != "--resources" && argument != "--help-popover") {
            fail(error, "unknown option " + std::string(argument));
            return std::nullopt;
        }
        if (i + 1 == arguments.size()) {
            fail(error, std::string(argument) + " needs a value");
            return std::nullopt;
        }
        if (!takeOption(argument, arguments[++i], options, error))
            return std::nullopt;
    }
    if (files.size() != 2 || files[0].empty() || files[1].empty()) {
        fail(error, "expected an interface file and a PNG file to write");
        return std::nullopt;
    }
    options.interfaceFile = files[0];
    options.output = files[1];
    return options;
}

} // namespace uisnap
