// Frame cost of the launcher's real window: its interface file loaded, then drawn whole as a
// frame is, idle and while the flat button animates between its looks, at scale 1 and 2; and the
// first frame after the help popover is shown for the button, its own surface drawn too.
#include "platform/appkit/application/application.h"
#include "platform/appkit/application/bundle.h"
#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_drawing.h"
#include "platform/foundation/clock.h"
#include "widgets/flatbutton/flat_button.h"
#include "widgets/tooltip/qv_custom_help_popover.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

struct LauncherWindow {
    std::optional<appkit::LoadedInterface> loaded;
    std::shared_ptr<appkit::Window> window;
    std::shared_ptr<FlatButton> button;

    explicit LauncherWindow(double scale) {
        std::filesystem::path resources = VANTREL_CHECKIN_RESOURCE_DIR;
        appkit::Bundle::mainBundle().setResourcePath(resources);
        std::string error;
        loaded = appkit::loadInterfaceFile(resources / "Main.json", appkit::Application::shared(), &error);
        if (!loaded)
            std::abort();
        window = std::dynamic_pointer_cast<appkit::Window>(loaded->objectWithId("window"));
        button = std::dynamic_pointer_cast<FlatButton>(loaded->objectWithId("button"));
        window->setBackingScaleFactor(scale);
    }
};

void BM_LauncherFrame(benchmark::State& state) {
    foundation::ScopedManualClock clock;
    LauncherWindow launcher(static_cast<double>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(appkit::renderWindow(*launcher.window, clock->now()));
}
BENCHMARK(BM_LauncherFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Frames through the 0.1 s change back to the off look, restarted as it ends.
void BM_LauncherFrameWhileTheButtonAnimates(benchmark::State& state) {
    foundation::ScopedManualClock clock;
    LauncherWindow launcher(static_cast<double>(state.range(0)));
    int frame = 0;
    for (auto _ : state) {
        if (frame++ % 6 == 0) {
            launcher.button->setOn(true);
            launcher.button->setOn(false);
        }
        clock->advance(1.0 / 60);
        benchmark::DoNotOptimize(appkit::renderWindow(*launcher.window, clock->now()));
    }
}
BENCHMARK(BM_LauncherFrameWhileTheButtonAnimates)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Each frame is a first one: the popover is shown afresh, so it is sized to its text again too.
void BM_LauncherFirstFrameWithHelpPopover(benchmark::State& state) {
    foundation::ScopedManualClock clock;
    LauncherWindow launcher(static_cast<double>(state.range(0)));
    launcher.button->setCustomTooltip(
        "Starts the Vantrel manager application, which checks this application in");
    const auto& help = QvCustomHelpPopover::sharedManager();
    for (auto _ : state) {
        help->showForView(launcher.button);
        benchmark::DoNotOptimize(appkit::renderWindow(*launcher.window, clock->now()));
        benchmark::DoNotOptimize(appkit::renderPopovers(*launcher.window, clock->now()));
        help->closeIfShowingFor(launcher.button.get());
    }
}
BENCHMARK(BM_LauncherFirstFrameWithHelpPopover)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
