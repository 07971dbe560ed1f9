#include "platform/appkit/window_backend.h"

#include <utility>

namespace appkit {

namespace {

// The one choice of back end per process, made by the application at start-up.
WindowBackend::Factory& currentFactory() {
    static WindowBackend::Factory factory;
    return factory;
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
