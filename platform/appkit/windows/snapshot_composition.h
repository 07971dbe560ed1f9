#pragma once

#include "platform/appkit/windows/window_drawing.h"
#include "platform/quartz/bitmap.h"

#include <memory>
#include <vector>

namespace appkit {

// A window's frame with its popover surfaces laid over it where they stand, on a picture grown to
// hold them all, as a screen shot of that part of the screen would show them. Transparent where
// neither the window nor a popover lies; the window's frame alone when no popover reaches past it.
std::shared_ptr<quartz::Bitmap> composeSnapshot(const std::shared_ptr<quartz::Bitmap>& windowFrame,
                                                quartz::Size windowSize, double scale,
                                                const std::vector<PopoverSurface>& popovers);

} // namespace appkit
