#pragma once

#include "platform/appkit/windows/window.h"
#include "platform/foundation/clock.h"
#include "platform/quartz/bitmap.h"
#include "tests/support/temporary_home.h"

#include <memory>

// A window on a manual clock with the widgets' resources, for driving widgets by pointer events
// and timers.
class WidgetScene : public TemporaryHome {
protected:
    void SetUp() override;
    void TearDown() override;

    // Moves the clock on and fires the timers that are due.
    void advance(double seconds);
    void moveTo(quartz::Point point) { window_->mouseMovedTo(point); }

    const std::shared_ptr<appkit::Window>& window() const { return window_; }

    // Draws the window as it looks now (or some time from now) and reads a pixel at a window
    // point, y growing up from the bottom edge.
    void render(double later = 0);
    quartz::Color pixelAt(double x, double y) const;

private:
    foundation::ScopedManualClock clock_;
    std::shared_ptr<appkit::Window> window_;
    std::shared_ptr<quartz::Bitmap> rendering_;
};
