#pragma once

#include "platform/appkit/windows/window.h"
#include "platform/quartz/bitmap.h"
#include "platform/quartz/graphics_context.h"

#include <memory>
#include <vector>

namespace appkit {

class Popover;

// Draws the window's views as they look at a media time (its popovers are surfaces of their own). The
// context's user space is the window's content area in points, y growing up from the bottom.
void drawWindow(Window& window, quartz::GraphicsContext& context, double time);

// The window's content at its backing scale, once the views that need layout are laid out and the
// animations that have finished are dropped: frame size times scale pixels, opaque where the views
// drew. Clears the window's need for display.
std::shared_ptr<quartz::Bitmap> renderWindow(Window& window, double time);

// A shown popover drawn on its own: its bubble and content, frame size times the window's scale
// pixels, transparent outside the bubble's rounded corners.
struct PopoverSurface {
    const Popover* popover; // identity only
    quartz::Rect frameInWindow;
    std::shared_ptr<quartz::Bitmap> image;
};
// The window's shown popovers as they look at time; drawn after renderWindow, which lays them out.
std::vector<PopoverSurface> renderPopovers(const Window& window, double time);

// Whether a layer of the window, or of a popover shown in it, animates at time and so needs frames.
bool windowIsAnimating(const Window& window, double time);

} // namespace appkit
