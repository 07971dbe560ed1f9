#include "platform/appkit/application/window_system.h"
#include "platform/appkit/sdl/sdl_display.h"
#include "platform/appkit/sdl/sdl_window_backend.h"

namespace appkit {

namespace {

// Linking this library is what puts windows on a screen: programs without it never load SDL.
const ScreenRegistration registration([](std::string& why) -> std::optional<WindowBackend::Factory> {
    auto display = SdlDisplay::open(&why);
    if (!display)
        return std::nullopt;
    return SdlWindowBackend::factory(std::move(display));
});

} // namespace

} // namespace appkit
