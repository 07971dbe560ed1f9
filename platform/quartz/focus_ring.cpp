#include "platform/quartz/focus_ring.h"

#include "platform/quartz/layer_painting.h"

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
    cairo_t* cairo = context.cairo();
    cairo_save(cairo);
    addRoundedRect(cairo, ring, radius + outset);
    cairo_set_source_rgba(cairo, ringColor.red(), ringColor.green(), ringColor.blue(), ringColor.alpha());
    cairo_set_line_width(cairo, ringWidth);
    cairo_stroke(cairo);
    cairo_restore(cairo);
}

} // namespace quartz
