#pragma once

#include "platform/quartz/layer.h"

#include <string>

namespace quartz {

// The tree below a layer as text, for tests: one line per layer with its kind, its frame and the
// model properties that differ from their defaults, sublayers (bottom to top) and the mask indented
// under it. For example:
//   Layer frame=(0, 0, 100, 40) backgroundColor=rgba(1, 0, 0, 1)
//     TextLayer frame=(10, 10, 80, 20) string="OK" fontSize=12
std::string describeTree(const Layer& layer);

} // namespace quartz
