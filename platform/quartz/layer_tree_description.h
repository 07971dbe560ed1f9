#pragma once

#include "platform/quartz/layer.h"

#include <optional>
#include <string>

namespace quartz {

struct TreeDescriptionOptions {
    // Animation begin times are written relative to this time, so that runs on clocks that start
    // elsewhere read the same.
    double timeOrigin = 0;
    // When given, each animation says whether it still runs then or is only held by its fill mode.
    std::optional<double> now;
    // Spaces before every line.
    int indent = 0;
};

// The tree below a layer as text, for tests and for diffing two runs: one line per layer with its
// kind, frame, position and anchor point, its contents scale and the model properties that differ
// from their defaults (a gradient's points always), then its animations, its mask and its sublayers
// (bottom to top), indented under it. Numbers have at most four decimals. For example:
//   Layer frame=(0, 0, 100, 40) position=(50, 20) anchor=(0.5, 0.5) scale=1 backgroundColor=rgba(1, 0, 0, 1)
//     animation backgroundColor from=rgba(0, 0, 1, 1) to=rgba(1, 0, 0, 1) begin=0 duration=0.1 fill=forwards
//     TextLayer frame=(10, 10, 80, 20) position=(50, 20) anchor=(0.5, 0.5) scale=1 string="OK" fontSize=12
std::string describeTree(const Layer& layer, const TreeDescriptionOptions& options = {});

// A number as the description writes it: at most four decimals, no trailing zeros, no "-0".
std::string describeNumber(double value);

} // namespace quartz
