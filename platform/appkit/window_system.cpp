#include "platform/appkit/window_system.h"

#include "platform/appkit/backing_scale.h"
#include "platform/appkit/offscreen_window_backend.h"
#include "platform/appkit/sdl_display.h"
#include "platform/appkit/sdl_window_backend.h"
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

WindowSystem chooseWindowSystem() {
    std::string why;
    if (!offscreenRequested()) {
        if (auto display = SdlDisplay::open(&why)) {
            WindowBackend::setFactory(SdlWindowBackend::factory(std::move(display)));
            return WindowSystem::screen;
        }
        foundation::consoleLog("no display (" + why + "): windows are drawn off screen");
    }
    std::string problem;
    double scale = forcedBackingScale(&problem).value_or(1);
    if (!problem.empty())
        foundation::consoleLog(problem);
    WindowBackend::setFactory(OffscreenWindowBackend::factory(scale));
    return WindowSystem::offscreen;
}

} // namespace appkit
