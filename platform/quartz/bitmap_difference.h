#pragma once

#include "platform/quartz/bitmap.h"

#include <optional>

namespace quartz {

// A rectangle of whole pixels, x from the left and y from the top.
struct PixelArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelArea&) const = default;
};

// The smallest area holding every pixel in which after differs from before: all of after when
// there is no before or the sizes differ, none when the two are alike.
std::optional<PixelArea> differingArea(const Bitmap* before, const Bitmap& after);

} // namespace quartz
