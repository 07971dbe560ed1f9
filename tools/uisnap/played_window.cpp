#include "tools/uisnap/played_window.h"

#include "platform/foundation/run_loop.h"

#include <cmath>

namespace uisnap {

namespace {

constexpr double frameInterval = 1.0 / 60;

} // namespace

PlayedWindow::PlayedWindow(foundation::ManualClock& clock, std::shared_ptr<appkit::Window> window,
                           double scale)
    : clock_(clock), window_(std::move(window)),
      backend_(appkit::OffscreenWindowBackend::show(window_, scale)), start_(clock.now()) {
    backend_->displayIfNeeded();
}

void PlayedWindow::turn() {
    foundation::RunLoop::main().runOnce(0);
    backend_->displayIfNeeded();
}

void PlayedWindow::pass(double seconds) {
    auto frames = static_cast<long>(std::floor(seconds / frameInterval));
    for (long frame = 0; frame < frames; ++frame) {
        clock_.advance(frameInterval);
        turn();
    }
    clock_.advance(seconds - static_cast<double>(frames) * frameInterval);
    turn();
}

bool PlayedWindow::snapshot(const std::filesystem::path& path, std::string* error) {
    return backend_->snapshot(path, error);
}

} // namespace uisnap
