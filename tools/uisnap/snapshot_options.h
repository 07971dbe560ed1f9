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
    std::vector<ScriptStep> steps;
    double time = 0;
    std::optional<std::filesystem::path> resources;
    bool describeLayers = false;
    // A strip of pictures instead of one: OUT-0.png, OUT-1.png, … an interval apart.
    int frames = 0;
    double interval = 0.1;
};

constexpr std::string_view usage =
    "usage: uisnap INTERFACE.json OUT.png [--scale S] [--events SCRIPT | --script FILE] [--time SECONDS]\n"
    "             [--resources DIR] [--describe-layers] [--frames N [--interval SECONDS]]\n"
    "  Renders the file's first window (or first top-level view) off screen to a PNG file, after a\n"
    "  script played in order on a manual clock.\n"
    "  --scale S          pixels per point, 1 to 4 (default 1)\n"
    "  --events SCRIPT    script steps (below), separated by semicolons or line breaks\n"
    "  --script FILE      the same, read from a file (# starts a comment line)\n"
    "  --time SECONDS     time to let pass after the script (default 0)\n"
    "  --resources DIR    where images are found (default: VANTREL_RESOURCES, else the file's folder)\n"
    "  --describe-layers  prints the window's views and layer trees, with their animations, at the end\n"
    "  --frames N         writes N pictures OUT-0.png … OUT-(N-1).png, the first after the time,\n"
    "  --interval SECONDS the next ones this far apart (default 0.1)\n"
    "  Objects of class ActionRecorder, named as action targets, print each action they receive.\n"
    "  Script steps, each played in order and followed by a run-loop turn:\n";

// The options of a command line without the program's name; none, with a message, when they are
// not understood.
std::optional<SnapshotOptions> parseSnapshotOptions(std::span<const std::string_view> arguments,
                                                    std::string* error);

} // namespace uisnap
