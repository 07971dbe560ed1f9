#include "platform/appkit/button.h"
#include "platform/appkit/popover.h"
#include "platform/appkit/toolbar_item.h"
#include "platform/appkit/view_controller.h"
#include "platform/appkit/window.h"

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

} // namespace

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

TEST(Popover, KeepsItsContentInsideTheWindow) {
    PopoverScene scene;
    scene.popover->contentViewController()->view()->setFrame({0, 0, 80, 30});
    auto corner = View::make({0, 0, 20, 10});
    scene.window->contentView()->addSubview(corner);
    scene.popover->showRelativeToRect(corner->bounds(), corner, NSMinYEdge);
    EXPECT_EQ(scene.popover->contentFrameInWindow(), quartz::Rect(0, 0, 80, 30));
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
