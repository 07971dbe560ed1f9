#pragma once

#include "platform/quartz/geometry.h"
#include "platform/quartz/graphics_context.h"

namespace quartz {

// The keyboard focus indicator: a band in the accent colour just outside a rounded rectangle given
// in the context's user space, its corners following the rectangle's.
void drawFocusRing(GraphicsContext& context, Rect rect, double cornerRadius);

} // namespace quartz
