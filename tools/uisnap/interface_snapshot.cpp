#include "tools/uisnap/interface_snapshot.h"

#include "platform/appkit/application/application.h"
#include "platform/appkit/application/bundle.h"
#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/windows/window.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/environment_switches.h"
#include "tools/uisnap/action_recorder.h"
#include "tools/uisnap/played_window.h"
#include "tools/uisnap/step_player.h"
#include "tools/uisnap/strip_writer.h"
#include "tools/uisnap/window_description.h"

#include <cstdio>

namespace uisnap {

namespace {

std::filesystem::path resourceFolder(const SnapshotOptions& options) {
    if (options.resources)
        return *options.resources;
    if (auto fromEnvironment = foundation::environment_switches::resourceFolder())
        return *fromEnvironment;
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

ActionRecorder::IdOf idsOf(const appkit::LoadedInterface& loaded) {
    return [&loaded](const appkit::Object* object) {
        for (std::size_t i = 0; i < loaded.topLevelObjects.size(); ++i) {
            if (loaded.topLevelObjects[i].get() == object)
                return loaded.ids[i];
        }
        return std::string();
    };
}

bool writePictures(const SnapshotOptions& options, PlayedWindow& played, std::string* error) {
    if (options.frames > 0)
        return writeStrip(played, options.output, options.frames, options.interval, error);
    return played.snapshot(options.output, error);
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
    ActionRecorder::answerActionsOf(options.interfaceFile);
    auto loaded =
        appkit::loadInterfaceFile(options.interfaceFile, appkit::Application::shared(), error, resources);
    if (!loaded)
        return false;
    auto window = windowToShow(*loaded);
    if (!window) {
        *error = options.interfaceFile.string() + " has no window or view to render";
        return false;
    }
    PlayedWindow played(*clock, window, options.scale);
    for (const auto& object : loaded->topLevelObjects) {
        if (auto recorder = std::dynamic_pointer_cast<ActionRecorder>(object))
            recorder->attach(idsOf(*loaded), played.start());
    }
    StepPlayer player(*loaded, options.interfaceFile, resources, played);
    if (!player.check(options.steps, error))
        return false;
    for (const auto& step : options.steps) {
        if (!player.play(step, error))
            return false;
    }
    played.pass(options.time);
    if (!writePictures(options, played, error))
        return false;
    if (options.describeLayers) {
        WindowDescription description(idsOf(*loaded), played.start(), clock->now());
        std::fputs(description.describe(played.window()).c_str(), stdout);
    }
    return true;
}

} // namespace uisnap
