#include "platform/appkit/offscreen/offscreen_window_backend.h"
#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_drawing.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/timer.h"
#include "platform/quartz/image.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace appkit;
using quartz::Point;

namespace {

// Writes down what reaches it, in order.
class Recorder : public View {
public:
    void mouseDown(const Event& event) override { record("down", event); }
    void mouseUp(const Event& event) override { record("up", event); }
    void mouseEntered(const Event& event) override { record("entered", event); }
    void mouseExited(const Event& event) override { record("exited", event); }
    void trackBounds() {
        addTrackingArea(
            std::make_shared<TrackingArea>(bounds(), NSTrackingMouseEnteredAndExited | NSTrackingActiveAlways,
                                           std::static_pointer_cast<Responder>(shared_from_this())));
    }
    std::vector<std::string> events;
    std::vector<Point> locations;

private:
    void record(const char* name, const Event& event) {
        events.emplace_back(name);
        locations.push_back(event.locationInWindow);
    }
};

class OffscreenWindow : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        window->contentView()->addSubview(recorder);
        recorder->trackBounds();
    }
    void TearDown() override {
        window->close();
        TemporaryHome::TearDown();
    }
    std::shared_ptr<OffscreenWindowBackend> show(double scale = 1) {
        return OffscreenWindowBackend::show(window, scale);
    }
    // Draws what the window first shows, so that a test starts from an idle window.
    void settle(OffscreenWindowBackend& backend) {
        while (backend.displayIfNeeded())
            ;
    }

    foundation::ScopedManualClock clock;
    std::shared_ptr<Window> window = Window::make({0, 0, 120, 80});
    std::shared_ptr<Recorder> recorder = View::make<Recorder>({20, 10, 40, 30});
};

} // namespace

TEST_F(OffscreenWindow, ScriptedPointerEventsReachTheViewsInWindowCoordinates) {
    auto backend = show();
    backend->moveTo({5, 5});
    backend->moveTo({30, 20});
    backend->press();
    backend->release();
    backend->moveTo({100, 70});
    backend->moveTo({30, 20});
    backend->leave();
    EXPECT_EQ(recorder->events,
              (std::vector<std::string>{"entered", "down", "up", "exited", "entered", "exited"}));
    EXPECT_EQ(recorder->locations.at(1), (Point{30, 20}));
}

TEST_F(OffscreenWindow, ShowingOrdersTheWindowFrontWithItsScale) {
    auto backend = show(2);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->backend(), backend);
    EXPECT_EQ(window->backingScaleFactor(), 2);
    window->close();
    EXPECT_EQ(window->backend(), nullptr);
    EXPECT_FALSE(backend->displayIfNeeded());
}

TEST_F(OffscreenWindow, SnapshotIsAPngOfTheWindowAtItsBackingScale) {
    for (double scale : {1.0, 2.0}) {
        auto backend = show(scale);
        auto path = home() / ("window@" + std::to_string(static_cast<int>(scale)) + ".png");
        std::string error;
        ASSERT_TRUE(backend->snapshot(path, &error)) << error;
        auto image = quartz::Image::imageWithContentsOfFile(path.string());
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->size(), (quartz::Size{120 * scale, 80 * scale}));
        window->close();
    }
}

TEST_F(OffscreenWindow, SnapshotIntoAMissingFolderFailsNamingTheFile) {
    auto backend = show();
    auto path = home() / "missing" / "window.png";
    std::string error;
    EXPECT_FALSE(backend->snapshot(path, &error));
    EXPECT_NE(error.find(path.string()), std::string::npos);
}

TEST_F(OffscreenWindow, ALayerAnimationKeepsFramesComingOnlyUntilItsEnd) {
    auto backend = show();
    recorder->setWantsLayer(true);
    settle(*backend);
    auto animation = quartz::BasicAnimation::animationWithKeyPath("opacity");
    animation.setFromValue(quartz::LayerValue(0.0));
    animation.setToValue(quartz::LayerValue(1.0));
    animation.setDuration(1);
    recorder->layer()->addAnimation(animation, "fade");
    ASSERT_TRUE(windowIsAnimating(*window, clock->now()));
    auto frames = backend->framesDrawn();
    for (int step = 0; step < 12; ++step) {
        backend->displayIfNeeded();
        clock->advance(0.125);
    }
    EXPECT_EQ(backend->framesDrawn(), frames + 9); // eight while it runs, one at its end
}

TEST_F(OffscreenWindow, TheFactoryGivesEachWindowOrderedFrontAnOffscreenBackend) {
    WindowBackend::setFactory(OffscreenWindowBackend::factory(2));
    window->makeKeyAndOrderFront();
    WindowBackend::setFactory(nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<OffscreenWindowBackend>(window->backend()), nullptr);
    EXPECT_EQ(window->backingScaleFactor(), 2);
}
