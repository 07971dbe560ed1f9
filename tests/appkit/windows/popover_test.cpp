#include "platform/appkit/offscreen/offscreen_window_backend.h"
#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

// Counts the entries and presses it gets, and where in itself it got the last press.
class PressRecordingView : public View {
public:
    void mouseEntered(const Event&) override { ++entries; }
    void mouseDown(const Event& event) override {
        ++presses;
        lastPress = convertPointFromWindow(event.locationInWindow);
    }
    int entries = 0, presses = 0;
    quartz::Point lastPress;
};

// A window shown off screen, a plain view to anchor on and a popover of 80 by 40 points.
struct PopoverScene {
    std::shared_ptr<Window> window = Window::make({0, 0, 200, 100});
    std::shared_ptr<OffscreenWindowBackend> backend = OffscreenWindowBackend::show(window);
    std::shared_ptr<View> anchor = View::make({50, 60, 100, 20});
    std::shared_ptr<PressRecordingView> content = View::make<PressRecordingView>({0, 0, 80, 40});
    std::shared_ptr<Popover> popover = std::make_shared<Popover>();
    PopoverScene() {
        auto controller = std::make_shared<ViewController>();
        controller->setView(content);
        popover->setContentViewController(controller);
        window->contentView()->addSubview(anchor);
    }
    void show() { popover->showRelativeToRect(anchor->bounds(), anchor, NSMinYEdge); }
};

} // namespace

// A transient popover takes the pointer over it, a press included, and closes on one elsewhere.
TEST(Popover, TakesThePointerOverItAndClosesOnAClickElsewhereOnlyWhenTransient) {
    PopoverScene scene;
    auto beneath = View::make<PressRecordingView>({0, 0, 200, 55});
    beneath->addTrackingArea(std::make_shared<TrackingArea>(
        beneath->bounds(), NSTrackingMouseEnteredAndExited, std::static_pointer_cast<Responder>(beneath)));
    scene.window->contentView()->addSubview(beneath);
    scene.popover->setBehavior(PopoverBehavior::transient);
    scene.show(); // below the plain anchor, over beneath
    auto frame = *scene.popover->contentFrameInWindow();
    scene.backend->moveTo({frame.minX() + 10, frame.minY() + 5});
    scene.backend->press();
    scene.backend->release();
    EXPECT_EQ(beneath->entries + beneath->presses, 0);
    EXPECT_EQ(scene.content->lastPress, (quartz::Point{10, 5}));
    EXPECT_TRUE(scene.popover->isShown());
    scene.window->mouseDownAt({5, 95});
    EXPECT_FALSE(scene.popover->isShown());

    scene.popover->setBehavior(PopoverBehavior::applicationDefined);
    scene.show();
    scene.window->mouseDownAt({5, 95});
    EXPECT_TRUE(scene.popover->isShown());
    scene.window->close();
    EXPECT_FALSE(scene.popover->isShown());
    EXPECT_TRUE(scene.window->popovers().empty());
    scene.popover->showRelativeToRect({0, 0, 10, 10}, View::make({0, 0, 10, 10}), NSMinYEdge);
    EXPECT_FALSE(scene.popover->isShown()) << "an anchor outside any window";
}

TEST(PopoverPlacement, TakesThePreferredEdgeElseTheOppositeElseTheOthersAndNeverCoversTheRectangle) {
    const quartz::Size size{40, 30};
    const quartz::Rect screen{0, 0, 300, 200};
    constexpr double gap = popoverArrowGap;
    // No room below: above. No room above or below: beside, on the right first.
    EXPECT_EQ(placePopover({100, 10, 60, 20}, size, NSMinYEdge, screen), quartz::Rect(110, 30 + gap, 40, 30));
    EXPECT_EQ(placePopover({100, 10, 60, 180}, size, NSMinYEdge, screen),
              quartz::Rect(160 + gap, 85, 40, 30));
    // Room nowhere: the preferred edge after all, reaching off screen rather than over the rectangle.
    EXPECT_EQ(placePopover({0, 10, 290, 180}, size, NSMinYEdge, screen),
              quartz::Rect(125, 10 - gap - 30, 40, 30));
    // Slid along the edge to stay on screen.
    EXPECT_EQ(placePopover({0, 100, 20, 20}, size, NSMinYEdge, screen),
              quartz::Rect(0, 100 - gap - 30, 40, 30));
    // Off screen nothing bounds it.
    EXPECT_EQ(placePopover({100, 190, 60, 10}, size, NSMaxYEdge, std::nullopt),
              quartz::Rect(110, 200 + gap, 40, 30));
}
