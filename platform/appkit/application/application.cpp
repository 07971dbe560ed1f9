#include "platform/appkit/application/application.h"

#include "platform/appkit/accessibility/accessibility_bridge.h"
#include "platform/appkit/application/bundle.h"
#include "platform/appkit/application/window_system.h"
#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/offscreen/offscreen_window_backend.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_backend.h"
#include "platform/foundation/console_log.h"
#include "platform/foundation/environment_switches.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/timer.h"

#include <algorithm>
#include <cstdlib>

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<Application>("Application")
        .property("delegate", &Application::delegate, &Application::setDelegate);
});

// Off screen, VANTREL_SNAPSHOT=path.png writes the first window as it looks once launching is done,
// so a headless run can still be looked at.
void writeLaunchSnapshot(const Application& application) {
    auto path = foundation::environment_switches::snapshotPath();
    if (!path || application.windows().empty())
        return;
    auto offscreen =
        std::dynamic_pointer_cast<OffscreenWindowBackend>(application.windows().front()->backend());
    std::string error;
    if (offscreen && !offscreen->snapshot(*path, &error))
        foundation::consoleLog(error);
}

// Once the first frame is on its way, so that screen readers cost the window no time to appear.
void startAccessibilityBridgeAfterFirstTurn(std::string programName) {
    foundation::Timer::scheduledTimer(0, false, [programName = std::move(programName)](foundation::Timer&) {
        startAccessibilityBridge(programName);
    });
}

} // namespace

const std::shared_ptr<Application>& Application::shared() {
    static auto application = std::make_shared<Application>();
    return application;
}

ApplicationDelegate* Application::applicationDelegate() const {
    return dynamic_cast<ApplicationDelegate*>(delegate_.lock().get());
}

void Application::addWindow(std::shared_ptr<Window> window) {
    if (window && std::find(windows_.begin(), windows_.end(), window) == windows_.end())
        windows_.push_back(std::move(window));
}

void Application::windowDidClose(const Window& window) {
    auto keep = delegate_.lock();
    std::erase_if(windows_, [&window](const auto& shown) { return shown.get() == &window; });
    ApplicationDelegate* delegate = applicationDelegate();
    if (windows_.empty() && delegate != nullptr &&
        delegate->applicationShouldTerminateAfterLastWindowClosed(*this))
        terminate();
}

void Application::activateIgnoringOtherApps(bool) {
    active_ = true;
    auto shown = windows_; // a back end may report a window closed meanwhile
    std::stable_partition(shown.begin(), shown.end(),
                          [](const auto& window) { return !window->isKeyWindow(); });
    for (const auto& window : shown) {
        if (window->isVisible() && window->backend())
            window->backend()->orderFront();
    }
}

void Application::keepAlive(std::vector<std::shared_ptr<Object>> objects) {
    interfaceObjects_.insert(interfaceObjects_.end(), objects.begin(), objects.end());
}

void Application::finishLaunching() {
    auto keep = delegate_.lock();
    foundation::Notification notification{didFinishLaunchingNotification, this};
    if (ApplicationDelegate* delegate = applicationDelegate())
        delegate->applicationDidFinishLaunching(notification);
    foundation::NotificationCenter::defaultCenter().postNotificationName(didFinishLaunchingNotification,
                                                                         this);
}

void Application::terminate() {
    auto keep = delegate_.lock();
    foundation::Notification notification{willTerminateNotification, this};
    if (ApplicationDelegate* delegate = applicationDelegate())
        delegate->applicationWillTerminate(notification);
    std::exit(0);
}

int applicationMain(int argc, char** argv) {
    // Made first, so that at exit the loop outlives the windows, whose back ends leave it then.
    foundation::RunLoop::main();
    const auto& application = Application::shared();
    auto windowSystem = chooseWindowSystem();
    if (!windowSystem)
        return 1;
    auto file = Bundle::mainBundle().pathForResource("Main", "json");
    std::string error = "no Main.json in " + Bundle::mainBundle().resourcePath().string();
    auto loaded = file ? loadInterfaceFile(*file, application, &error) : std::nullopt;
    if (!loaded) {
        foundation::consoleLog(error);
        return 1;
    }
    for (const auto& object : loaded->topLevelObjects) {
        if (auto window = std::dynamic_pointer_cast<Window>(object)) {
            application->addWindow(window);
            window->makeKeyAndOrderFront();
            if (!window->backend())
                return 1; // its back end said why
        }
    }
    application->keepAlive(std::move(loaded->topLevelObjects));
    application->finishLaunching();
    if (windowSystem == WindowSystem::offscreen)
        writeLaunchSnapshot(*application);
    else
        startAccessibilityBridgeAfterFirstTurn(argc > 0 ? argv[0] : "");
    foundation::RunLoop::main().run();
    return 0;
}

} // namespace appkit
