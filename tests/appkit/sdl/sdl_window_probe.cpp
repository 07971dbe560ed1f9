// Opens a window on the screen with one view that reports the pointer, and prints on standard
// output what reaches the view. Once the pointer has left the view after a click it prints how many
// frames the window drew in the idle second that followed. Ends when the window closes (SIGTERM closes it)
// or after the timeout given in seconds (60 by default), checking that the run loop is then left
// with nothing to wait for. Given "popover" after the timeout, it also shows a transient popover
// of 120 by 40 points below the window, which reports its own presses and when it closes.

#include "platform/appkit/application/window_system.h"
#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_backend.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace appkit;

namespace {

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string located(const char* what, const Event& event) {
    char line[80];
    std::snprintf(line, sizeof line, "%s %.2f %.2f", what, event.locationInWindow.x,
                  event.locationInWindow.y);
    return line;
}

class ProbeView : public View {
public:
    void mouseDown(const Event& event) override { say(located("down", event)); }
    void mouseUp(const Event& event) override {
        say(located("up", event));
        clicked = true;
    }
    void mouseEntered(const Event&) override { say("entered"); }
    void mouseExited(const Event&) override {
        say("exited");
        leftAfterClick = clicked;
    }
    // The window may not be key when the test's pointer clicks it: there is no window manager.
    bool acceptsFirstMouse(const Event*) override { return true; }
    void trackBounds() {
        addTrackingArea(
            std::make_shared<TrackingArea>(bounds(), NSTrackingMouseEnteredAndExited | NSTrackingActiveAlways,
                                           std::static_pointer_cast<Responder>(shared_from_this())));
    }
    bool clicked = false;
    bool leftAfterClick = false;
};

// Says where a click outside the probe's own view landed, so a lost click shows in the log.
class ContentProbeView : public View {
public:
    void mouseDown(const Event& event) override { say(located("window down", event)); }
};

class PopoverProbeView : public View {
public:
    void mouseDown(const Event& event) override { say(located("popover down", event)); }
};

// Below a strip along the window's bottom edge: past the window, on the screen.
std::shared_ptr<Popover> showPopoverBelow(Window& window) {
    auto strip = View::make({20, 0, 160, 20});
    window.contentView()->addSubview(strip);
    auto controller = std::make_shared<ViewController>();
    controller->setView(View::make<PopoverProbeView>({0, 0, 120, 40}));
    auto popover = std::make_shared<Popover>();
    popover->setContentViewController(controller);
    popover->setBehavior(PopoverBehavior::transient);
    popover->showRelativeToRect(strip->bounds(), strip, NSMinYEdge);
    say("popover shown");
    return popover;
}

double now() {
    return foundation::Clock::current().now();
}

// Turns the loop for a while; turns that find nothing to do draw nothing.
void runFor(double seconds, const Window& window) {
    double end = now() + seconds;
    while (window.isVisible() && now() < end) {
        int milliseconds = std::max(1, static_cast<int>((end - now()) * 1000));
        foundation::RunLoop::main().runOnce(milliseconds);
    }
}

void reportIdleFrames(const Window& window) {
    runFor(0.25, window); // the frame that shows the pointer gone
    if (!window.backend())
        return;
    auto before = window.backend()->framesDrawn();
    runFor(1, window);
    if (window.backend())
        say("idle frames " + std::to_string(window.backend()->framesDrawn() - before));
}

} // namespace

int main(int argc, char** argv) {
    double timeout = argc > 1 ? std::atof(argv[1]) : 60;
    bool withPopover = argc > 2 && std::string(argv[2]) == "popover";
    if (chooseWindowSystem() != WindowSystem::screen)
        return 2;
    auto window = Window::make({0, 0, 200, 120});
    window->setContentView(View::make<ContentProbeView>({0, 0, 200, 120}));
    window->setTitle("Vantrel probe");
    auto view = View::make<ProbeView>({20, 10, 100, 50});
    window->contentView()->addSubview(view);
    view->trackBounds();
    window->makeKeyAndOrderFront();
    if (!window->backend())
        return 2;
    say("scale " + std::to_string(static_cast<int>(window->backingScaleFactor())));
    auto popover = withPopover ? showPopoverBelow(*window) : nullptr;
    double deadline = now() + timeout;
    while (window->isVisible() && now() < deadline) {
        foundation::RunLoop::main().runOnce(std::max(1, static_cast<int>((deadline - now()) * 1000)));
        if (popover && !popover->isShown()) {
            popover.reset();
            say("popover closed");
        }
        if (view->leftAfterClick) {
            view->leftAfterClick = view->clicked = false;
            reportIdleFrames(*window);
            window->setTitle("Vantrel probe, idle");
            say("retitled");
        }
    }
    if (window->isVisible()) {
        say("timed out");
        return 1;
    }
    // A closed window leaves nothing on the run loop to wait for.
    if (foundation::RunLoop::main().runOnce(0)) {
        say("the run loop still waits on something");
        return 1;
    }
    say("closed");
    return 0;
}
