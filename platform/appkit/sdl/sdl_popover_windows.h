#pragma once

#include "platform/appkit/windows/window_drawing.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct SDL_Window;

namespace appkit {

class SdlDisplay;
class SdlPresenter;
class SdlWindowBackend;

// The popovers of one window on the screen, each in a borderless window of its own that stands
// beside the parent and may reach past it. They never take the keyboard focus; their events go
// to the parent's back end, which asks here where they fall in the parent window.
class SdlPopoverWindows {
public:
    SdlPopoverWindows(SDL_Window* parent, std::shared_ptr<SdlDisplay> display,
                      std::weak_ptr<SdlWindowBackend> owner);
    ~SdlPopoverWindows();
    SdlPopoverWindows(const SdlPopoverWindows&) = delete;
    SdlPopoverWindows& operator=(const SdlPopoverWindows&) = delete;

    // Shows these surfaces, and no others, where they stand. windowHeight is the parent's in
    // points; pixelsPerPoint as the parent was made.
    void show(const std::vector<PopoverSurface>& surfaces, double windowHeight, double pixelsPerPoint);
    // The parent window's point under a pixel of a popover's window; none for other windows.
    std::optional<quartz::Point> windowPoint(std::uint32_t windowId, int x, int y) const;
    bool owns(std::uint32_t windowId) const { return find(windowId) != nullptr; }
    // Shows the last frame again on an exposed popover window.
    void presentAgain(std::uint32_t windowId);

private:
    struct Shown;

    Shown* find(std::uint32_t windowId) const;
    std::unique_ptr<Shown> open(const PopoverSurface& surface);
    void place(Shown& shown, quartz::Rect frame, double windowHeight, double pixelsPerPoint);

    SDL_Window* parent_;
    std::shared_ptr<SdlDisplay> display_;
    std::weak_ptr<SdlWindowBackend> owner_;
    std::vector<std::unique_ptr<Shown>> shown_;
    double pixelsPerPoint_ = 1;
};

} // namespace appkit
