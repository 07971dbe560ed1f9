#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

// Counts what reaches it; may rebuild one tracking area over its bounds on every update.
class Probe : public View {
public:
    void mouseEntered(const Event&) override { ++entered; }
    void mouseExited(const Event&) override { ++exited; }
    void updateTrackingAreas() override {
        if (!rebuildsArea)
            return;
        if (area_)
            removeTrackingArea(area_);
        area_ = addArea(bounds(), NSTrackingActiveAlways);
    }
    std::shared_ptr<TrackingArea> addArea(quartz::Rect rect, unsigned options) {
        auto area = std::make_shared<TrackingArea>(rect, NSTrackingMouseEnteredAndExited | options,
                                                   std::static_pointer_cast<Responder>(shared_from_this()));
        addTrackingArea(area);
        return area;
    }
    int entered = 0, exited = 0;
    bool rebuildsArea = false;

private:
    std::shared_ptr<TrackingArea> area_;
};

struct WindowWithProbe {
    std::shared_ptr<Window> window = Window::make({0, 0, 200, 100});
    std::shared_ptr<Probe> probe = View::make<Probe>({50, 25, 100, 50});
    explicit WindowWithProbe(bool rebuildsArea = false) {
        probe->rebuildsArea = rebuildsArea;
        window->contentView()->addSubview(probe);
        window->makeKeyWindow();
    }
};

} // namespace

// The second area's stored rectangle is empty: it follows the view's bounds.
TEST(Window, EachTrackingAreaReportsItsOwnCrossingAndAVisibleRectAreaTheBounds) {
    WindowWithProbe scene;
    scene.probe->addArea(scene.probe->bounds(), 0);
    scene.probe->addArea({}, NSTrackingInVisibleRect);
    scene.window->mouseMovedTo({10, 10});
    scene.window->mouseMovedTo({100, 50});
    scene.window->mouseMovedTo({100, 60});
    EXPECT_EQ(scene.probe->entered, 2);
    scene.window->mouseLeftWindow();
    EXPECT_EQ(scene.probe->exited, 2);
}

// Joining the window and every frame change update the areas; a new one starts where the pointer is.
TEST(Window, AViewThatGrowsUnderAStillPointerRebuildsItsAreaAndHearsNoEntry) {
    WindowWithProbe scene(true);
    scene.window->mouseMovedTo({170, 50});
    scene.probe->setFrame({50, 25, 140, 50});
    scene.window->mouseMovedTo({170, 50});
    EXPECT_EQ(scene.probe->entered, 0);
    scene.window->mouseMovedTo({5, 5});
    EXPECT_EQ(scene.probe->exited, 1);
    EXPECT_EQ(scene.probe->trackingAreas().size(), 1u);
}
