#pragma once

#include "platform/quartz/color.h"
#include "platform/quartz/geometry.h"
#include "platform/quartz/graphics_context.h"

#include <functional>

namespace quartz {

// How a drawing's shadow looks: its alpha blurred by the radius (about two standard deviations),
// tinted by the colour and moved by the offset, in unflipped terms: a positive height moves the
// shadow up the screen.
struct DrawingShadow {
    Color color;
    double blurRadius = 0;
    Size offset;
};

// What draw puts into the context, with its shadow beneath it. The drawing is kept up to overdraw
// points past bounds (both in the context's user space) and the shadow as far as the blur reaches;
// without room for the intermediate raster it is drawn without a shadow.
void drawWithShadow(GraphicsContext& context, const Rect& bounds, double overdraw,
                    const DrawingShadow& shadow, const std::function<void(GraphicsContext&)>& draw);

} // namespace quartz
