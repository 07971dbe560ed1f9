#include "platform/appkit/application/window_system.h"

#include "platform/appkit/offscreen/offscreen_window_backend.h"
#include "platform/appkit/sdl/sdl_display.h"
#include "platform/appkit/sdl/sdl_window_backend.h"
#include "platform/appkit/windows/backing_scale.h"
#include "platform/foundation/console_log.h"

#include <cstdlib>
#include <string>

namespace appkit {

namespace {

bool offscreenRequested() {
    const char* requested = std::getenv("VANTREL_OFFSCREEN");
    return requested != nullptr && requested[0] != '\0';
}

} // namespace

std::optional<WindowSystem> chooseWindowSystem() {
    if (!offscreenRequested()) {
        std::string why;
        auto display = SdlDisplay::open(&why);
        if (!display) {
            foundation::consoleLog("no display (" + why + "): no window can be shown");
            return std::nullopt;
        }
        WindowBackend::setFactory(SdlWindowBackend::factory(std::move(display)));
        return WindowSystem::screen;
    }
    std::string problem;
    double scale = forcedBackingScale(&problem).value_or(1);
    if (!problem.empty())
        foundation::consoleLog(problem);
    WindowBackend::setFactory(OffscreenWindowBackend::factory(scale));
    return WindowSystem::offscreen;
}

} // namespace appkit
