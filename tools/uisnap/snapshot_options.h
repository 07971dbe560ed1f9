#pragma once

#include "tools/uisnap/event_script.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace uisnap {

struct SnapshotOptions {
    std::filesystem::path interfaceFile;
    std::filesystem::path output;
    double scale = 1;
    std::vector<ScriptedEvent> events;
    double time = 0;
    std::optional<std::filesystem::path> resources;
    // The id of an object the shared help popover is shown for, with its customTooltip.
    std::optional<std::string> helpPopoverFor;
};

constexpr std::string_view usage =
    "usage: uisnap INTERFACE.json OUT.png [--scale S] [--events SCRIPT] [--time SECONDS] [--resources DIR]\n"
    "             [--help-popover ID]\n"
    "  Renders the file's first window (or first top-level view) off screen to a PNG file.\n"
    "  --scale S         pixels per point, 1 to 4 (default 1)\n"
    "  --events SCRIPT   pointer steps in window points from the bottom left, played on a manual clock:\n"
    "                    \"move X Y; down; up; leave; wait SECONDS\"\n"
    "  --time SECONDS    time to let pass after the events (default 0)\n"
    "  --resources DIR   where images are found (default: VANTREL_RESOURCES, else the file's folder)\n"
    "  --help-popover ID shows the shared help popover for that object, after the events\n";

// The options of a command line without the program's name; none, with a message, when they are
// not understood.
std::optional<SnapshotOptions> parseSnapshotOptions(std::span<const std::string_view> arguments,
                                                    std::string* error);

} // namespace uisnap
