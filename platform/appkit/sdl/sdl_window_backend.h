#pragma once

#include "platform/appkit/windows/redraw_policy.h"
#include "platform/appkit/windows/window_backend.h"

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Window;
struct SDL_KeyboardEvent;
union SDL_Event;

namespace foundation {
class Timer;
}

namespace appkit {

class SdlDisplay;
class SdlPopoverWindows;
class SdlPresenter;

// A window on the screen through SDL: its title, its content size in points, not resizable. Frames
// follow the redraw policy, at most at the display's rate, and are drawn before the run loop waits.
// The backing scale comes from the drawable size, or from VANTREL_BACKING_SCALE, which makes the
// window that many pixels per point. VANTREL_REPORT_FRAMES (set and not empty) says on standard
// error when the first frame is on screen (seconds on the monotonic clock) and how long each frame
// took to draw and present, for benchmarks.
class SdlWindowBackend final : public WindowBackend, public std::enable_shared_from_this<SdlWindowBackend> {
public:
    // Null, said on standard error, when SDL cannot open the window.
    static std::shared_ptr<SdlWindowBackend> make(const std::shared_ptr<Window>& window,
                                                  std::shared_ptr<SdlDisplay> display);
    static Factory factory(std::shared_ptr<SdlDisplay> display);
    ~SdlWindowBackend() override;
    SdlWindowBackend(const SdlWindowBackend&) = delete;
    SdlWindowBackend& operator=(const SdlWindowBackend&) = delete;

    // Whether the event reached the program's code.
    bool handleEvent(const SDL_Event& event);
    void drawFrameIfDue();
    // Wakes the run loop for the next frame while one is needed.
    void scheduleNextFrame();
    void closeWindow();

    void windowDidChangeTitle() override;
    void orderFront() override;
    std::uint64_t framesDrawn() const override { return policy_.framesDrawn(); }
    std::optional<quartz::Rect> screenFrameInWindow() const override;

private:
    SdlWindowBackend(const std::shared_ptr<Window>& window, std::shared_ptr<SdlDisplay> display);

    bool open(Window& window, std::string* error);
    void takeBackingScale(Window& window);
    bool handleWindowEvent(Window& window, const SDL_Event& event);
    void pointerEntered(Window& window);
    void movePointer(Window& window, int x, int y);
    // The window's point under a pixel of the window itself or of one of its popovers.
    quartz::Point windowPoint(const Window& window, std::uint32_t windowId, int x, int y) const;
    bool pressKey(Window& window, const SDL_KeyboardEvent& event);
    void presentAgainOnScreen();
    void reportFirstFrameOnScreen();

    std::weak_ptr<Window> window_;
    std::shared_ptr<SdlDisplay> display_;
    SDL_Window* sdlWindow_ = nullptr;
    std::uint32_t windowId_ = 0;
    std::unique_ptr<SdlPresenter> presenter_;
    std::unique_ptr<SdlPopoverWindows> popoverWindows_;
    RedrawPolicy policy_;
    // More than 1 when a forced backing scale made the window larger than its points.
    double pixelsPerPoint_ = 1;
    double frameInterval_ = 1.0 / 60;
    double lastFrameTime_ = -1e300;
    std::shared_ptr<foundation::Timer> frameTimer_;
    bool reportsFrames_ = false;
    bool exposed_ = false;
    bool presented_ = false;
    bool reportedFirstFrame_ = false;
};

} // namespace appkit
