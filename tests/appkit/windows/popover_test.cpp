#include "platform/appkit/offscreen/offscreen_window_backend.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/views/toolbar_item.h"
#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

struct PopoverScene {
    std::shared_ptr<Window> window = Window::make({0, 0, 300, 200});
    std::shared_ptr<Button> button = View::make<Button>({100, 80, 60, 20}); // flipped
    std::shared_ptr<Popover> popover = std::make_shared<Popover>();
    PopoverScene() {
        window->contentView()->addSubview(button);
        popover->setContentViewController(std::make_shared<ViewController>());
    }
};

// Counts the presses it gets, and where in itself it got the last one.
class PressRecordingView : public View {
public:
    void mouseEntered(const Event&) override { ++entries; }
    int entries = 0;
    void mouseDown(const Event& event) override {
        ++presses;
        lastPress = convertPointFromWindow(event.locationInWindow);
    }
    int presses = 0;
    quartz::Point lastPress;
};

// A window shown (off screen) with a popover of 80 by 40 points ready to show.
class PopoverOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        auto controller = std::make_shared<ViewController>();
        controller->setView(content);
        popover->setContentViewController(controller);
    }

    std::shared_ptr<Window> window = Window::make({0, 0, 200, 100});
    std::shared_ptr<OffscreenWindowBackend> backend = OffscreenWindowBackend::show(window);
    std::shared_ptr<PressRecordingView> content = View::make<PressRecordingView>({0, 0, 80, 40});
    std::shared_ptr<Popover> popover = std::make_shared<Popover>();
};

} // namespace

TEST_F(PopoverOnScreen, APointerInsideAPopoverHoversAndClicksItsViewsNotTheViewBeneath) {
    auto beneath = View::make<PressRecordingView>({0, 0, 200, 55});
    beneath->addTrackingArea(std::make_shared<TrackingArea>(
        beneath->bounds(), NSTrackingMouseEnteredAndExited, std::static_pointer_cast<Responder>(beneath)));
    auto anchor = View::make({50, 60, 100, 20}); // plain: the popover goes below it, over beneath
    window->contentView()->addSubview(beneath);
    window->contentView()->addSubview(anchor);
    popover->showRelativeToRect(anchor->bounds(), anchor, NSMinYEdge);
    auto frame = *popover->contentFrameInWindow();
    backend->moveTo({frame.minX() + 10, frame.minY() + 5});
    backend->press();
    backend->release();
    EXPECT_EQ(beneath->entries, 0);
    EXPECT_EQ(beneath->presses, 0);
    EXPECT_EQ(content->presses, 1);
    EXPECT_EQ(content->lastPress, quartz::Point(10, 5));
}

TEST(Popover, ShowsBesideItsAnchorAboveTheWindowsContent) {
    PopoverScene scene;
    scene.popover->showRelativeToRect(scene.button->bounds(), scene.button, NSMinYEdge);
    EXPECT_TRUE(scene.popover->isShown());
    EXPECT_EQ(scene.popover->anchorView(), scene.button);
    ASSERT_EQ(scene.window->popovers().size(), 1u);
    EXPECT_EQ(scene.popover->positioningRectInWindow(), quartz::Rect(100, 80, 60, 20));
    EXPECT_TRUE(scene.popover->contentViewController()->isViewLoaded());
    scene.popover->close();
    EXPECT_FALSE(scene.popover->isShown());
    EXPECT_TRUE(scene.window->popovers().empty());
}

TEST(Popover, TakesARectangleInTheAnchorsOwnFlippedCoordinates) {
    PopoverScene scene;
    scene.popover->showRelativeToRect({0, 0, 10, 5}, scene.button, NSMinYEdge); // top left of the button
    EXPECT_EQ(scene.popover->positioningRectInWindow(), quartz::Rect(100, 95, 10, 5));
    EXPECT_EQ(scene.popover->preferredEdge(), NSMinYEdge);
}

TEST(Popover, AnAnchorOutsideAnyWindowShowsNothing) {
    auto popover = std::make_shared<Popover>();
    popover->showRelativeToRect({0, 0, 10, 10}, View::make({0, 0, 10, 10}), NSMinYEdge);
    EXPECT_FALSE(popover->isShown());
    popover->showRelativeToRect({0, 0, 10, 10}, nullptr, NSMinYEdge);
    EXPECT_FALSE(popover->isShown());
}

TEST(ToolbarItem, HoldsItsView) {
    ToolbarItem item;
    EXPECT_EQ(item.view(), nullptr);
    auto view = View::make({0, 0, 20, 20});
    item.setView(view);
    EXPECT_EQ(item.view(), view);
}

TEST(Popover, ClosesWithItsWindow) {
    PopoverScene scene;
    scene.window->makeKeyAndOrderFront();
    scene.popover->showRelativeToRect(scene.button->bounds(), scene.button, NSMinYEdge);
    scene.window->close();
    EXPECT_FALSE(scene.popover->isShown());
    EXPECT_TRUE(scene.window->popovers().empty());
}

TEST(Popover, PlacesItsContentOnThePreferredEdgeAsTheAnchorSeesIt) {
    PopoverScene scene;
    scene.popover->contentViewController()->view()->setFrame({0, 0, 40, 30});
    auto plain = View::make({100, 120, 60, 20});
    scene.window->contentView()->addSubview(plain);

    scene.popover->showRelativeToRect(plain->bounds(), plain, NSMinYEdge); // below a plain view
    EXPECT_EQ(scene.popover->contentFrameInWindow(), quartz::Rect(110, 120 - Popover::arrowGap - 30, 40, 30));
    scene.popover->showRelativeToRect(scene.button->bounds(), scene.button,
                                      NSMinYEdge); // above a flipped one
    EXPECT_EQ(scene.popover->contentFrameInWindow(), quartz::Rect(110, 100 + Popover::arrowGap, 40, 30));
    scene.popover->showRelativeToRect(scene.button->bounds(), scene.button, NSMaxXEdge);
    EXPECT_EQ(scene.popover->contentFrameInWindow(), quartz::Rect(160 + Popover::arrowGap, 75, 40, 30));
}

TEST(PopoverPlacement, TakesThePreferredEdgeElseTheOppositeElseTheOthersAndNeverCoversTheRectangle) {
    const quartz::Rect button{100, 80, 60, 20};
    const quartz::Size size{40, 30};
    const quartz::Rect screen{0, 0, 300, 200};
    constexpr double gap = popoverArrowGap;
    EXPECT_EQ(placePopover(button, size, NSMinYEdge, screen), quartz::Rect(110, 80 - gap - 30, 40, 30));
    // No room below: above. No room above or below: beside, on the right first.
    EXPECT_EQ(placePopover({100, 10, 60, 20}, size, NSMinYEdge, screen), quartz::Rect(110, 30 + gap, 40, 30));
    EXPECT_EQ(placePopover({100, 10, 60, 180}, size, NSMinYEdge, screen),
              quartz::Rect(160 + gap, 85, 40, 30));
    // Room nowhere: the preferred edge after all, reaching off screen rather than over the rectangle.
    EXPECT_EQ(placePopover({0, 10, 290, 180}, size, NSMinYEdge, screen),
              quartz::Rect(125, 10 - gap - 30, 40, 30));
    // Slid along the edge to stay on screen, still clear of the rectangle.
    EXPECT_EQ(placePopover({0, 100, 20, 20}, size, NSMinYEdge, screen),
              quartz::Rect(0, 100 - gap - 30, 40, 30));
    // Off screen nothing bounds it: the preferred edge, past any window.
    EXPECT_EQ(placePopover({100, 190, 60, 10}, size, NSMaxYEdge, std::nullopt),
              quartz::Rect(110, 200 + gap, 40, 30));
}

TEST(Popover, AClosedPopoverHasNoPlace) {
    PopoverScene scene;
    EXPECT_EQ(scene.popover->contentFrameInWindow(), std::nullopt);
}

TEST(Popover, ATransientPopoverClosesOnAClickElsewhereAndStaysForOneOnItself) {
    PopoverScene scene;
    scene.popover->contentViewController()->view()->setFrame({0, 0, 40, 30});
    scene.popover->setBehavior(PopoverBehavior::transient);
    scene.popover->showRelativeToRect(scene.button->bounds(), scene.button, NSMinYEdge);
    auto frame = *scene.popover->contentFrameInWindow();
    scene.window->mouseDownAt({frame.midX(), frame.midY()});
    EXPECT_TRUE(scene.popover->isShown());
    scene.window->mouseDownAt({5, 5});
    EXPECT_FALSE(scene.popover->isShown());

    scene.popover->setBehavior(PopoverBehavior::applicationDefined);
    scene.popover->showRelativeToRect(scene.button->bounds(), scene.button, NSMinYEdge);
    scene.window->mouseDownAt({5, 5});
    EXPECT_TRUE(scene.popover->isShown());
}
