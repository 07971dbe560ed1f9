#include "platform/appkit/views/layer_contents_scale_delegate.h"
#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>

using namespace appkit;
using quartz::Point;
using quartz::Rect;

namespace {

// Counts what reaches it; may carry tracking areas of its own.
class Probe : public View {
public:
    void mouseDown(const Event&) override { ++downs; }
    void mouseUp(const Event&) override { ++ups; }
    void mouseEntered(const Event&) override { ++entered; }
    void mouseExited(const Event&) override { ++exited; }
    bool acceptsFirstMouse(const Event*) override { return acceptsFirst; }
    void updateTrackingAreas() override {
        ++trackingUpdates;
        if (rebuildsArea) {
            if (area_)
                removeTrackingArea(area_);
            area_ = std::make_shared<TrackingArea>(bounds(),
                                                   NSTrackingMouseEnteredAndExited | NSTrackingActiveAlways,
                                                   std::static_pointer_cast<Responder>(shared_from_this()));
            addTrackingArea(area_);
        }
    }
    void addAreaOverBounds() {
        addTrackingArea(
            std::make_shared<TrackingArea>(bounds(), NSTrackingMouseEnteredAndExited,
                                           std::static_pointer_cast<Responder>(shared_from_this())));
    }
    int downs = 0, ups = 0, entered = 0, exited = 0, trackingUpdates = 0;
    bool acceptsFirst = false;
    bool rebuildsArea = false;

private:
    std::shared_ptr<TrackingArea> area_;
};

class ScaleFollower : public LayerContentsScaleDelegate {
public:
    bool shouldInheritContentsScale(quartz::Layer&, double, Window*) override { return true; }
};

struct WindowWithProbe {
    std::shared_ptr<Window> window = Window::make({0, 0, 200, 100});
    std::shared_ptr<Probe> probe = View::make<Probe>({50, 25, 100, 50});
    WindowWithProbe() {
        window->contentView()->addSubview(probe);
        window->makeKeyWindow();
    }
};

} // namespace

TEST(Window, AReleaseGoesToTheViewThatGotThePress) {
    WindowWithProbe scene;
    scene.window->mouseDownAt({60, 30});
    scene.window->mouseMovedTo({5, 5});
    scene.window->mouseUpAt({5, 5});
    EXPECT_EQ(scene.probe->downs, 1);
    EXPECT_EQ(scene.probe->ups, 1);
}

TEST(Window, APressIntoAnInactiveWindowActivatesItAndReachesOnlyViewsThatAcceptFirstMouse) {
    WindowWithProbe scene;
    scene.window->resignKeyWindow();
    scene.window->mouseDownAt({60, 30});
    scene.window->mouseUpAt({60, 30});
    EXPECT_TRUE(scene.window->isKeyWindow());
    EXPECT_EQ(scene.probe->downs, 0);
    EXPECT_EQ(scene.probe->ups, 0);
    scene.window->resignKeyWindow();
    scene.probe->acceptsFirst = true;
    scene.window->mouseDownAt({60, 30});
    EXPECT_EQ(scene.probe->downs, 1);
}

TEST(Window, EachTrackingAreaReportsItsOwnCrossing) {
    WindowWithProbe scene;
    scene.probe->addAreaOverBounds();
    scene.probe->addAreaOverBounds();
    scene.window->mouseMovedTo({10, 10});
    scene.window->mouseMovedTo({100, 50});
    EXPECT_EQ(scene.probe->entered, 2);
    scene.window->mouseMovedTo({100, 60});
    EXPECT_EQ(scene.probe->entered, 2);
    scene.window->mouseLeftWindow();
    EXPECT_EQ(scene.probe->exited, 2);
}

TEST(Window, ANewAreaStartsFromWhereThePointerIsAndReportsNothing) {
    WindowWithProbe scene;
    scene.window->mouseMovedTo({100, 50});
    scene.probe->addAreaOverBounds();
    scene.window->mouseMovedTo({101, 50});
    EXPECT_EQ(scene.probe->entered, 0);
    scene.window->mouseMovedTo({1, 1});
    EXPECT_EQ(scene.probe->exited, 1);
}

TEST(Window, AViewThatGrowsUnderAStillPointerHearsNoEntryFromItsRebuiltArea) {
    WindowWithProbe scene;
    scene.probe->rebuildsArea = true;
    scene.probe->updateTrackingAreas();
    scene.window->mouseMovedTo({170, 50});    // right of the probe
    scene.probe->setFrame({50, 25, 140, 50}); // now under the pointer
    scene.window->mouseMovedTo({170, 50});
    EXPECT_EQ(scene.probe->entered, 0);
    EXPECT_EQ(scene.probe->trackingAreas().size(), 1u);
}

TEST(Window, JoiningAndFrameChangesUpdateTrackingAreas) {
    auto window = Window::make({0, 0, 100, 100});
    auto probe = View::make<Probe>({0, 0, 10, 10});
    EXPECT_EQ(probe->trackingUpdates, 0);
    window->contentView()->addSubview(probe);
    EXPECT_EQ(probe->trackingUpdates, 1);
    probe->setFrame({0, 0, 20, 20});
    EXPECT_EQ(probe->trackingUpdates, 2);
}

TEST(Window, TheBackingScaleReachesViewLayersAndLayersWhoseDelegateAsks) {
    WindowWithProbe scene;
    scene.probe->setWantsLayer(true);
    auto follower = std::make_shared<ScaleFollower>();
    auto asking = quartz::Layer::layer();
    auto silent = quartz::Layer::layer();
    asking->setDelegate(follower);
    scene.probe->layer()->addSublayer(asking);
    scene.probe->layer()->addSublayer(silent);
    scene.window->setBackingScaleFactor(2);
    EXPECT_EQ(scene.probe->layer()->contentsScale(), 2);
    EXPECT_EQ(asking->contentsScale(), 2);
    EXPECT_EQ(silent->contentsScale(), 1);
}
