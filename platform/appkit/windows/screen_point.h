#pragma once

#include "platform/quartz/geometry.h"

namespace appkit {

// The pixel a window system reports the pointer on (counted from the top left, y down) as a point
// of the window (from the bottom left, y up). The pixel's centre is taken, so that the top row,
// too, lies inside the window. pixelsPerPoint is more than 1 when the window was made larger than
// its points to force a backing scale.
inline quartz::Point windowPointFromScreenPixel(int x, int y, double windowHeight, double pixelsPerPoint) {
    return {(x + 0.5) / pixelsPerPoint, windowHeight - (y + 0.5) / pixelsPerPoint};
}

} // namespace appkit
