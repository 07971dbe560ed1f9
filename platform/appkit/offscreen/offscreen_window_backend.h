#pragma once

#include "platform/appkit/windows/redraw_policy.h"
#include "platform/appkit/windows/window_backend.h"
#include "platform/appkit/windows/window_drawing.h"
#include "platform/quartz/bitmap.h"
#include "platform/quartz/geometry.h"

#include <filesystem>
#include <memory>
#include <string>

namespace appkit {

// Shows a window in memory, for tests, the snapshot tool, and the application when no display can
// be opened. Pointer events are scripted; frames are drawn when asked, by the same policy as on a
// screen, at the media time of foundation::Clock::current().
class OffscreenWindowBackend final : public WindowBackend {
public:
    // Gives the window this back end at a backing scale and orders it front.
    static std::shared_ptr<OffscreenWindowBackend> show(const std::shared_ptr<Window>& window,
                                                        double scale = 1);
    static Factory factory(double scale);

    // Hands the scale to the window. The window is not owned.
    OffscreenWindowBackend(const std::shared_ptr<Window>& window, double scale);

    // The scripted pointer; points are in window coordinates (origin at the bottom left).
    void moveTo(quartz::Point point);
    // The left button, where the pointer is.
    void press();
    void release();
    void leave();

    // Draws a frame when the policy says one is needed; whether it drew.
    bool displayIfNeeded();
    // Writes the window as it looks now to a PNG file at the window's backing scale, grown to hold
    // its popovers where they reach past it; false, with a message naming the file, when it cannot.
    bool snapshot(const std::filesystem::path& path, std::string* error = nullptr);

    std::uint64_t framesDrawn() const override { return policy_.framesDrawn(); }

private:
    std::weak_ptr<Window> window_;
    RedrawPolicy policy_;
    std::shared_ptr<quartz::Bitmap> lastFrame_;
    std::vector<PopoverSurface> popovers_;
    quartz::Point pointer_;
};

} // namespace appkit
