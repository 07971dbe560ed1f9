#include "platform/appkit/window_drawing.h"

namespace appkit {

// Placeholder until view drawing lands.
void drawWindow(Window&, quartz::GraphicsContext&, double) {}

std::shared_ptr<quartz::Bitmap> renderWindow(Window& window, double) {
    double scale = window.backingScaleFactor();
    window.setViewsNeedDisplay(false);
    return quartz::Bitmap::make(static_cast<int>(window.frame().width() * scale),
                                static_cast<int>(window.frame().height() * scale));
}

bool windowIsAnimating(const Window&, double) {
    return false;
}

} // namespace appkit
