#include "platform/appkit/application/window_system.h"

#include "platform/appkit/offscreen/offscreen_window_backend.h"
#include "platform/appkit/windows/backing_scale.h"
#include "platform/foundation/console_log.h"
#include "platform/foundation/environment_switches.h"

#include <string>

namespace appkit {

namespace {

// Set before main by the screen back end's registration, if the program links one.
ScreenOpener& screenOpener() {
    static auto* opener = new ScreenOpener;
    return *opener;
}

} // namespace

ScreenRegistration::ScreenRegistration(ScreenOpener opener) {
    screenOpener() = std::move(opener);
}

std::optional<WindowSystem> chooseWindowSystem() {
    if (!foundation::environment_switches::offscreen()) {
        std::string why;
        const auto& open = screenOpener();
        auto factory = open ? open(why) : std::nullopt;
        if (!open)
            why = "this program has no screen back end";
        if (!factory) {
            foundation::consoleLog("no display (" + why + "): no window can be shown");
            return std::nullopt;
        }
        WindowBackend::setFactory(std::move(*factory));
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
