#include "tools/uisnap/interface_snapshot.h"

#include "platform/appkit/application.h"
#include "platform/appkit/bundle.h"
#include "platform/appkit/interface_loader.h"
#include "platform/appkit/offscreen_window_backend.h"
#include "platform/appkit/window.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "widgets/tooltip/qv_custom_help_popover.h"

#include <cmath>
#include <cstdlib>

namespace uisnap {

namespace {

// Time passes in frames, as on a screen: timers fire in order and animations are drawn, and
// dropped once finished, as they would be there.
constexpr double frameInterval = 1.0 / 60;

class Player {
public:
    Player(foundation::ManualClock& clock, appkit::OffscreenWindowBackend& backend)
        : clock_(clock), backend_(backend) {}

    void play(const ScriptedEvent& event) {
        using Kind = ScriptedEvent::Kind;
        switch (event.kind) {
        case Kind::move:
            backend_.moveTo({event.x, event.y});
            break;
        case Kind::down:
            backend_.press();
            break;
        case Kind::up:
            backend_.release();
            break;
        case Kind::leave:
            backend_.leave();
            break;
        case Kind::wait:
            pass(event.seconds);
            return;
        }
        turn();
    }

    void pass(double seconds) {
        auto frames = static_cast<long>(std::floor(seconds / frameInterval));
        for (long frame = 0; frame < frames; ++frame) {
            clock_.advance(frameInterval);
            turn();
        }
        clock_.advance(seconds - static_cast<double>(frames) * frameInterval);
        turn();
    }

private:
    void turn() {
        foundation::RunLoop::main().runOnce(0);
        backend_.displayIfNeeded();
    }

    foundation::ManualClock& clock_;
    appkit::OffscreenWindowBackend& backend_;
};

std::filesystem::path resourceFolder(const SnapshotOptions& options) {
    if (options.resources)
        return *options.resources;
    const char* fromEnvironment = std::getenv("VANTREL_RESOURCES");
    if (fromEnvironment != nullptr && fromEnvironment[0] != '\0')
        return fromEnvironment;
    return options.interfaceFile.parent_path().empty() ? "." : options.interfaceFile.parent_path();
}

// The first window of the file, else its first view that is nobody's subview, in a window of its size.
std::shared_ptr<appkit::Window> windowToShow(const appkit::LoadedInterface& loaded) {
    for (const auto& object : loaded.topLevelObjects) {
        if (auto window = std::dynamic_pointer_cast<appkit::Window>(object))
            return window;
    }
    for (const auto& object : loaded.topLevelObjects) {
        auto view = std::dynamic_pointer_cast<appkit::View>(object);
        if (view && !view->superview() && !view->window()) {
            auto window = appkit::Window::make({0, 0, view->frame().width(), view->frame().height()});
            window->setContentView(view);
            return window;
        }
    }
    return nullptr;
}

} // namespace

bool writeInterfaceSnapshot(const SnapshotOptions& options, std::string* error) {
    auto resources = resourceFolder(options);
    std::error_code ignored;
    if (!std::filesystem::is_directory(resources, ignored)) {
        *error = "no resource folder " + resources.string();
        return false;
    }
    // Widgets that ask the bundle for images find them in the same place.
    appkit::Bundle::mainBundle().setResourcePath(resources);
    foundation::ScopedManualClock clock;
    auto loaded =
        appkit::loadInterfaceFile(options.interfaceFile, appkit::Application::shared(), error, resources);
    if (!loaded)
        return false;
    auto window = windowToShow(*loaded);
    if (!window) {
        *error = options.interfaceFile.string() + " has no window or view to render";
        return false;
    }
    auto backend = appkit::OffscreenWindowBackend::show(window, options.scale);
    backend->displayIfNeeded();
    Player player(*clock, *backend);
    for (const auto& event : options.events)
        player.play(event);
    if (options.helpPopoverFor) {
        auto anchor = loaded->objectWithId(*options.helpPopoverFor);
        if (!anchor) {
            *error = options.interfaceFile.string() + " has no object \"" + *options.helpPopoverFor + "\"";
            return false;
        }
        QvCustomHelpPopover::sharedManager()->showForView(anchor);
    }
    player.pass(options.time);
    return backend->snapshot(options.output, error);
}

} // namespace uisnap
