// Opens a window on the screen with one view that reports the pointer, and prints on standard
// output what reaches the view. Once the pointer has left the view after a click it prints how many
// frames the window drew in the idle second that followed, and retitles the window. Ends when the
// window closes (SIGTERM closes it) or after the timeout given in seconds, checking that the run
// loop is then left with nothing to wait for. Given "popover" after the timeout, it also shows a
// transient popover of 120 by 40 points below the window, which reports its presses and closing.

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

void say(const std::string& line, const Event* event = nullptr) {
    if (event)
        std::printf("%s %.2f %.2f\n", line.c_str(), event->locationInWindow.x, event->locationInWindow.y);
    else
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

class ProbeView : public View {
public:
    void mouseDown(const Event& event) override { say(prefix + "down", &event); }
    void mouseUp(const Event& event) override {
        say("up", &event);
        clicked = true;
    }
    void mouseEntered(const Event&) override { say("entered"); }
    void mouseExited(const Event&) override {
        say("exited");
        leftAfterClick = clicked;
    }
    // The window may not be key when the test's pointer clicks it: there is no window manager.
    bool acceptsFirstMouse(const Event*) override { return true; }
    std::string prefix;
    bool clicked = false;
    bool leftAfterClick = false;
};

double now() {
    return foundation::Clock::current().now();
}

// Turns the loop until the window closes or time is up; turns that find nothing to do draw nothing.
void runUntil(double end, const Window& window) {
    while (window.isVisible() && now() < end)
        foundation::RunLoop::main().runOnce(std::max(1, static_cast<int>((end - now()) * 1000)));
}

} // namespace

int main(int argc, char** argv) {
    double deadline = now() + (argc > 1 ? std::atof(argv[1]) : 60);
    if (chooseWindowSystem() != WindowSystem::screen)
        return 2;
    auto window = Window::make({0, 0, 200, 120});
    window->setTitle("Vantrel probe");
    auto view = View::make<ProbeView>({20, 10, 100, 50});
    window->contentView()->addSubview(view);
    view->addTrackingArea(std::make_shared<TrackingArea>(
        view->bounds(), NSTrackingMouseEnteredAndExited | NSTrackingActiveAlways,
        std::static_pointer_cast<Responder>(view)));
    window->makeKeyAndOrderFront();
    if (!window->backend())
        return 2;
    say("scale " + std::to_string(static_cast<int>(window->backingScaleFactor())));
    std::shared_ptr<Popover> popover;
    if (argc > 2 && std::string(argv[2]) == "popover") {
        // Below a strip along the window's bottom edge: past the window, on the screen.
        auto strip = View::make({20, 0, 160, 20});
        window->contentView()->addSubview(strip);
        auto content = View::make<ProbeView>({0, 0, 120, 40});
        content->prefix = "popover ";
        auto controller = std::make_shared<ViewController>();
        controller->setView(content);
        popover = std::make_shared<Popover>();
        popover->setContentViewController(controller);
        popover->setBehavior(PopoverBehavior::transient);
        popover->showRelativeToRect(strip->bounds(), strip, NSMinYEdge);
    }
    while (window->isVisible() && now() < deadline) {
        foundation::RunLoop::main().runOnce(std::max(1, static_cast<int>((deadline - now()) * 1000)));
        if (popover && !popover->isShown()) {
            popover.reset();
            say("popover closed");
        }
        if (view->leftAfterClick) {
            view->leftAfterClick = view->clicked = false;
            runUntil(now() + 0.25, *window); // the frame that shows the pointer gone
            auto before = window->backend() ? window->backend()->framesDrawn() : 0;
            runUntil(now() + 1, *window);
            if (window->backend())
                say("idle frames " + std::to_string(window->backend()->framesDrawn() - before));
            window->setTitle("Vantrel probe, idle");
            say("retitled");
        }
    }
    if (window->isVisible()) {
        say("timed out");
        return 1;
    }
    if (foundation::RunLoop::main().runOnce(0)) {
        say("the run loop still waits on something");
        return 1;
    }
    say("closed");
    return 0;
}
