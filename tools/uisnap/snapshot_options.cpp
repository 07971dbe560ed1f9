#include "tools/uisnap/snapshot_options.h"

#include <fstream>
#include <sstream>

namespace uisnap {

namespace {

constexpr double smallestScale = 1;
constexpr double largestScale = 4;
constexpr int mostFrames = 1000;

bool fail(std::string* error, std::string message) {
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

bool readScript(std::string_view text, SnapshotOptions& options, std::string* error) {
    if (!options.steps.empty())
        return fail(error, "give the script once, with --events or --script");
    auto steps = parseEventScript(text, error);
    if (!steps)
        return false;
    options.steps = std::move(*steps);
    return true;
}

bool readScriptFile(std::string_view path, SnapshotOptions& options, std::string* error) {
    std::ifstream file{std::string(path)};
    if (!file)
        return fail(error, "cannot read the script " + std::string(path));
    std::ostringstream text;
    text << file.rdbuf();
    if (!readScript(text.str(), options, error))
        return fail(error, std::string(path) + ": " + (error != nullptr ? *error : ""));
    return true;
}

bool readSeconds(std::string_view name, std::string_view value, double& seconds, std::string* error) {
    auto time = parseNumber(value);
    if (!time || *time < 0 || *time > longestPlayedTime)
        return fail(error, std::string(name) + " needs seconds from 0 to " +
                               std::to_string(static_cast<int>(longestPlayedTime)) + ", not \"" +
                               std::string(value) + "\"");
    seconds = *time;
    return true;
}

bool takeOption(std::string_view name, std::string_view value, SnapshotOptions& options, std::string* error) {
    if (name == "--scale") {
        auto scale = parseNumber(value);
        if (!scale || *scale < smallestScale || *scale > largestScale)
            return fail(error, "--scale needs a number from 1 to 4, not \"" + std::string(value) + "\"");
        options.scale = *scale;
        return true;
    }
    if (name == "--time")
        return readSeconds(name, value, options.time, error);
    if (name == "--interval")
        return readSeconds(name, value, options.interval, error);
    if (name == "--frames") {
        auto frames = parseNumber(value);
        if (!frames || *frames < 1 || *frames > mostFrames || *frames != static_cast<int>(*frames))
            return fail(error, "--frames needs a whole number from 1 to " + std::to_string(mostFrames));
        options.frames = static_cast<int>(*frames);
        return true;
    }
    if (name == "--events")
        return readScript(value, options, error);
    if (name == "--script")
        return readScriptFile(value, options, error);
    if (name == "--resources") {
        if (value.empty())
            return fail(error, "--resources needs a folder");
        options.resources = std::filesystem::path(value);
        return true;
    }
    return fail(error, "unknown option " + std::string(name));
}

bool takesValue(std::string_view option) {
    for (std::string_view known :
         {"--scale", "--time", "--events", "--script", "--resources", "--frames", "--interval"}) {
        if (option == known)
            return true;
    }
    return false;
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
        } else if (argument == "--describe-layers") {
            options.describeLayers = true;
        } else if (!takesValue(argument)) {
            fail(error, "unknown option " + std::string(argument));
            return std::nullopt;
        } else if (i + 1 == arguments.size()) {
            fail(error, std::string(argument) + " needs a value");
            return std::nullopt;
        } else if (!takeOption(argument, arguments[++i], options, error)) {
            return std::nullopt;
        }
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
