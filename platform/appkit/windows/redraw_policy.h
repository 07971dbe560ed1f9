#pragma once

#include "platform/quartz/bitmap.h"

#include <cstdint>
#include <memory>

namespace appkit {

class Window;

// When a window draws: while it needs display (a layer of it changed, or a view asked for display
// or layout) or while an animation runs, and never otherwise; back ends ask once per run-loop
// turn. An animation needs frames up to its end time, and then one more that shows where it ended.
class RedrawPolicy {
public:
    bool needsFrame(const Window& window, double time) const;
    // The window rendered at time when it needs a frame, else null.
    std::shared_ptr<quartz::Bitmap> drawIfNeeded(Window& window, double time);
    // Whether frames keep coming without any change: an animation ran at the last frame.
    bool isAnimating() const { return animatingAtLastFrame_; }
    std::uint64_t framesDrawn() const { return frames_; }

private:
    std::uint64_t frames_ = 0;
    bool animatingAtLastFrame_ = false;
};

} // namespace appkit
