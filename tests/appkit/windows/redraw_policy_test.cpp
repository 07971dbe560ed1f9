#include "platform/appkit/offscreen/offscreen_window_backend.h"
#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/appkit/windows/window.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/timer.h"
#include "platform/quartz/text_layer.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace appkit;
using quartz::Color;

namespace {

// A window shown off screen whose one view is layer-backed, with a sublayer holding another and
// a masked one: changes deep in the tree must reach the window.
class RedrawRule : public ::testing::Test {
protected:
    void SetUp() override {
        view->setWantsLayer(true);
        window->contentView()->addSubview(view);
        view->layer()->addSublayer(outer);
        outer->addSublayer(inner);
        outer->addSublayer(masked);
        masked->setMask(quartz::Layer::layer());
        backend = OffscreenWindowBackend::show(window);
        while (backend->displayIfNeeded())
            ;
    }
    void TearDown() override { window->close(); }

    // One turn of the loop as a back end runs it: handlers that are due, then at most one frame.
    bool turn(double seconds = 0) {
        clock->advance(seconds);
        foundation::RunLoop::main().runOnce(0);
        return backend->displayIfNeeded();
    }

    foundation::ScopedManualClock clock;
    std::shared_ptr<Window> window = Window::make({0, 0, 40, 20});
    std::shared_ptr<View> view = View::make({0, 0, 40, 20});
    std::shared_ptr<quartz::Layer> outer = quartz::Layer::layer();
    std::shared_ptr<quartz::Layer> inner = quartz::Layer::layer();
    std::shared_ptr<quartz::Layer> masked = quartz::Layer::layer();
    std::shared_ptr<OffscreenWindowBackend> backend;
};

const Color red{1, 0, 0};

} // namespace

TEST_F(RedrawRule, AnIdleWindowDrawsNothingEvenWhenEventsAndTimersChangeNothing) {
    auto frames = backend->framesDrawn();
    auto timer = foundation::Timer::scheduledTimer(0.1, true, [](foundation::Timer&) {});
    for (int i = 0; i < 60; ++i) {
        backend->moveTo({static_cast<double>(i % 40), 10});
        turn(1.0 / 60);
    }
    backend->press();
    backend->release();
    inner->setOpacity(inner->opacity()); // the value it has
    turn();
    timer->invalidate();
    EXPECT_EQ(backend->framesDrawn(), frames);
}

TEST_F(RedrawRule, EveryKindOfModelChangeLeadsToExactlyOneFrame) {
    auto text = quartz::TextLayer::layer();
    auto basic = quartz::BasicAnimation::animationWithKeyPath("opacity");
    basic.setToValue(quartz::LayerValue(0.5));
    basic.setDuration(0); // over at once: the frame it needs is the one the change asks for
    basic.setRemovedOnCompletion(false);
    std::vector<std::pair<std::string, std::function<void()>>> changes{
        {"a property deep in the tree", [&] { inner->setCornerRadius(4); }},
        {"a key set by name", [&] { inner->setValueForKey(quartz::LayerValue(red), "backgroundColor"); }},
        {"the contents", [&] { inner->setContents(quartz::Bitmap::make(2, 2)); }},
        {"a sublayer added", [&] { inner->addSublayer(text); }},
        {"a text layer's string", [&] { text->setString("Go"); }},
        {"a sublayer removed", [&] { text->removeFromSuperlayer(); }},
        {"a mask's property", [&] { masked->mask()->setOpacity(0.5); }},
        {"a new mask", [&] { masked->setMask(nullptr); }},
        {"an animation added", [&] { inner->addAnimation(basic, "fade"); }},
        {"an animation removed", [&] { inner->removeAnimationForKey("fade"); }},
        {"a view that needs display", [&] { view->setNeedsDisplay(); }},
        {"a view that needs layout", [&] { view->setNeedsLayout(true); }},
    };
    for (const auto& [what, change] : changes) {
        change();
        EXPECT_TRUE(turn()) << what;
        EXPECT_FALSE(turn()) << what;
    }
    text->setString("Gone"); // a layer let go no longer reaches the window
    EXPECT_FALSE(turn());
}

TEST_F(RedrawRule, ALayerAnimationKeepsFramesComingUntilAndIncludingItsEnd) {
    auto animation = quartz::BasicAnimation::animationWithKeyPath("opacity");
    animation.setFromValue(quartz::LayerValue(0.0));
    animation.setToValue(quartz::LayerValue(1.0));
    animation.setDuration(1);
    inner->addAnimation(animation, "fade");
    auto frames = backend->framesDrawn();
    for (int step = 0; step < 12; ++step) {
        backend->displayIfNeeded();
        clock->advance(0.125);
    }
    EXPECT_EQ(backend->framesDrawn(), frames + 9); // eight while it runs, one at its end
}

TEST_F(RedrawRule, ALayerOfAShownPopoverReachesTheWindowUntilItCloses) {
    auto popover = std::make_shared<Popover>();
    auto controller = std::make_shared<ViewController>();
    auto content = View::make({0, 0, 10, 5});
    content->setWantsLayer(true);
    controller->setView(content);
    popover->setContentViewController(controller);
    popover->showRelativeToRect({0, 0, 10, 10}, view, NSMaxYEdge);
    EXPECT_TRUE(turn());
    content->layer()->setOpacity(0.5);
    EXPECT_TRUE(turn());
    popover->close();
    EXPECT_TRUE(turn());
    content->layer()->setOpacity(1);
    EXPECT_FALSE(turn());
}
