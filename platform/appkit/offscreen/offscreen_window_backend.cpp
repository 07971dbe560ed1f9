#include "platform/appkit/offscreen/offscreen_window_backend.h"

#include "platform/appkit/windows/snapshot_composition.h"
#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_drawing.h"
#include "platform/foundation/clock.h"

namespace appkit {

namespace {

double now() {
    return foundation::Clock::current().now();
}

} // namespace

std::shared_ptr<OffscreenWindowBackend> OffscreenWindowBackend::show(const std::shared_ptr<Window>& window,
                                                                     double scale) {
    auto backend = std::make_shared<OffscreenWindowBackend>(window, scale);
    window->setBackend(backend);
    window->makeKeyAndOrderFront();
    return backend;
}

WindowBackend::Factory OffscreenWindowBackend::factory(double scale) {
    return [scale](const std::shared_ptr<Window>& window) {
        return std::make_shared<OffscreenWindowBackend>(window, scale);
    };
}

OffscreenWindowBackend::OffscreenWindowBackend(const std::shared_ptr<Window>& window, double scale)
    : window_(window) {
    window->setBackingScaleFactor(scale);
}

void OffscreenWindowBackend::moveTo(quartz::Point point) {
    pointer_ = point;
    if (auto window = window_.lock())
        window->mouseMovedTo(point, now());
}

void OffscreenWindowBackend::press() {
    if (auto window = window_.lock())
        window->mouseDownAt(pointer_, now());
}

void OffscreenWindowBackend::release() {
    if (auto window = window_.lock())
        window->mouseUpAt(pointer_, now());
}

void OffscreenWindowBackend::leave() {
    if (auto window = window_.lock())
        window->mouseLeftWindow(now());
}

bool OffscreenWindowBackend::displayIfNeeded() {
    auto window = window_.lock();
    if (!window || !window->isVisible())
        return false;
    auto frame = policy_.drawIfNeeded(*window, now());
    if (!frame)
        return false;
    lastFrame_ = std::move(frame);
    popovers_ = renderPopovers(*window, now());
    return true;
}

bool OffscreenWindowBackend::snapshot(const std::filesystem::path& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error != nullptr)
            *error = "cannot write " + path.string() + ": " + why;
        return false;
    };
    displayIfNeeded();
    std::error_code ignored;
    if (auto folder = path.parent_path(); !folder.empty() && !std::filesystem::is_directory(folder, ignored))
        return fail("there is no folder " + folder.string());
    auto window = window_.lock();
    if (!lastFrame_ || !window)
        return fail(!window ? "the window is gone" : "the window has nothing to show");
    auto picture = composeSnapshot(lastFrame_, window->frame().size, window->backingScaleFactor(), popovers_);
    std::string why;
    if (!picture->writePNG(path, &why))
        return fail(why);
    return true;
}

} // namespace appkit
