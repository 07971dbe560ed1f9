#include "platform/appkit/windows/redraw_policy.h"

#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_drawing.h"

namespace appkit {

bool RedrawPolicy::needsFrame(const Window& window, double time) const {
    return window.viewsNeedDisplay() || animatingAtLastFrame_ || windowIsAnimating(window, time);
}

std::shared_ptr<quartz::Bitmap> RedrawPolicy::drawIfNeeded(Window& window, double time) {
    if (!needsFrame(window, time))
        return nullptr;
    auto frame = renderWindow(window, time);
    if (frame)
        ++frames_;
    animatingAtLastFrame_ = windowIsAnimating(window, time);
    return frame;
}

} // namespace appkit
