#pragma once

#include "platform/quartz/geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace appkit {

class Window;

// What puts a window in front of the user: a real screen or an off-screen bitmap. A window gets
// one from the factory when it is ordered front and lets it go when it closes; the window owns it.
class WindowBackend {
public:
    using Factory = std::function<std::shared_ptr<WindowBackend>(const std::shared_ptr<Window>&)>;

    // The back end windows get from now on. Without one (as in most unit tests) a window is
    // never drawn.
    static void setFactory(Factory factory);
    // Null when no factory is set.
    static std::shared_ptr<WindowBackend> makeFor(const std::shared_ptr<Window>& window);

    virtual ~WindowBackend() = default;

    // Only a window system's title bar shows the title.
    virtual void windowDidChangeTitle() {}
    // Raises the window above the others on its screen and gives it the keyboard focus, also
    // from another program's window.
    virtual void orderFront() {}
    // The part of the screen windows may cover, in the window's coordinates; none off screen,
    // where nothing bounds a popover.
    virtual std::optional<quartz::Rect> screenFrameInWindow() const { return std::nullopt; }
    // Frames drawn since the back end was made.
    virtual std::uint64_t framesDrawn() const = 0;
};

} // namespace appkit
