#pragma once

#include "platform/quartz/bitmap.h"

#include <optional>

namespace quartz {

// The smallest area holding every pixel in which after differs from before: all of after when
// there is no before or the sizes differ, none when the two are alike.
std::optional<PixelArea> differingArea(const Bitmap* before, const Bitmap& after);

} // namespace quartz
