#pragma once

#include "platform/appkit/offscreen/offscreen_window_backend.h"
#include "platform/appkit/windows/window.h"
#include "platform/foundation/clock.h"

#include <filesystem>
#include <memory>
#include <string>

namespace uisnap {

// A window shown off screen on a manual clock. Time passes in frames, as on a screen: timers fire
// in order and animations are drawn, and dropped once finished, as they would be there.
class PlayedWindow {
public:
    PlayedWindow(foundation::ManualClock& clock, std::shared_ptr<appkit::Window> window, double scale);

    appkit::Window& window() { return *window_; }
    appkit::OffscreenWindowBackend& backend() { return *backend_; }
    // Seconds since the window was shown.
    double elapsed() const { return clock_.now() - start_; }
    double start() const { return start_; }

    // One run-loop turn, then a frame if one is due.
    void turn();
    void pass(double seconds);
    bool snapshot(const std::filesystem::path& path, std::string* error);

private:
    foundation::ManualClock& clock_;
    std::shared_ptr<appkit::Window> window_;
    std::shared_ptr<appkit::OffscreenWindowBackend> backend_;
    double start_;
};

} // namespace uisnap
