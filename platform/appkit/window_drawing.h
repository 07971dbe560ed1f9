#pragma once

#include "platform/appkit/window.h"
#include "platform/quartz/bitmap.h"
#include "platform/quartz/graphics_context.h"

#include <memory>

namespace appkit {

// Draws the window's views, then its popovers above them, as they look at a media time. The
// context's user space is the window's content area in points, y growing up from the bottom.
void drawWindow(Window& window, quartz::GraphicsContext& context, double time);

// The window's content at its backing scale, once the views that need layout are laid out and the
// animations that have finished are dropped: frame size times scale pixels, opaque where the views
// drew. Clears the window's need for display.
std::shared_ptr<quartz::Bitmap> renderWindow(Window& window, double time);

// Whether a layer of the window, or of a popover shown in it, animates at time and so needs frames.
bool windowIsAnimating(const Window& window, double time);

} // namespace appkit
