#include "platform/quartz/focus_ring.h"

#include <algorithm>

namespace quartz {

namespace {

constexpr double ringWidth = 3;
constexpr Color ringColor{0.0, 0.48, 1.0, 0.6};

} // namespace

void drawFocusRing(GraphicsContext& context, Rect rect, double cornerRadius) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    double radius = std::clamp(cornerRadius, 0.0, std::min(rect.width(), rect.height()) / 2);
    // The stroke's middle runs half a band outside, so the band starts at the rectangle's edge.
    double outset = ringWidth / 2;
    Rect ring{rect.minX() - outset, rect.minY() - outset, rect.width() + 2 * outset,
              rect.height() + 2 * outset};
    context.strokeRoundedRect(ring, radius + outset, ringColor, ringWidth);
}

} // namespace quartz
