#include "platform/appkit/windows/window_backend.h"

#include <utility>

namespace appkit {

namespace {

// The one choice of back end per process, made by the application at start-up. Never destroyed:
// at exit the screen's connection must not be shut after the run loop it is watched by is gone.
WindowBackend::Factory& currentFactory() {
    static auto* factory = new WindowBackend::Factory;
    return *factory;
}

} // namespace

void WindowBackend::setFactory(Factory factory) {
    currentFactory() = std::move(factory);
}

std::shared_ptr<WindowBackend> WindowBackend::makeFor(const std::shared_ptr<Window>& window) {
    const auto& factory = currentFactory();
    return factory ? factory(window) : nullptr;
}

} // namespace appkit
