// The hover timer and the help popover's show beside a rectangle, driven directly: a timer due exactly
// now and two entries without an exit are out of a script's reach.
#include "platform/appkit/application/bundle.h"
#include "platform/appkit/views/toolbar_item.h"
#include "platform/appkit/windows/window.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "tests/support/temporary_home.h"
#include "widgets/tooltip/qv_custom_help_popover.h"
#include "widgets/tooltip/qv_custom_tooltip_button.h"

using namespace appkit;

namespace {

class CountingButton : public QvCustomTooltipButton {
public:
    int shown = 0;

protected:
    void showTooltip() override { ++shown; }
};

class CountingPopover : public QvCustomHelpPopover {
public:
    void aboutToShow() override { loadedWhenPrepared.push_back(popover() != nullptr); }
    std::vector<bool> loadedWhenPrepared;

protected:
    std::string nibName() const override { return "QvCustomHelpPopover"; }
};

} // namespace

using Tooltip = TemporaryHome;

TEST_F(Tooltip, ShowsOnceTwoSecondsAfterTheLastEntryAndNeverAfterLeaving) {
    foundation::ScopedManualClock clock;
    auto advance = [&](double seconds) {
        clock->advance(seconds);
        foundation::RunLoop::main().runOnce(0);
    };
    auto button = View::make<CountingButton>({0, 0, 80, 24});
    Event crossing{Event::Type::mouseEntered, {10, 10}, 0, 1, nullptr};
    testing::internal::CaptureStderr();
    button->mouseEntered(crossing);
    advance(1.5);
    button->mouseExited(crossing);
    advance(1.0);
    EXPECT_EQ(button->shown, 0);
    EXPECT_EQ(button->timer(), nullptr);

    button->mouseEntered(crossing);
    advance(1.0);
    button->mouseEntered(crossing); // as a second tracking area's would
    advance(1.5);
    EXPECT_EQ(button->shown, 0);
    advance(0.5); // due exactly now
    EXPECT_EQ(button->shown, 1);
    advance(10);
    EXPECT_EQ(button->shown, 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("showTooltipTimerFired"), std::string::npos);
}

TEST_F(Tooltip, ShowingBesideARectangleOrAToolbarItemKeepsTheTextAndRecordAndPreparesOnceLoaded) {
    Bundle::mainBundle().setResourcePath(VANTREL_WIDGET_RESOURCE_DIR);
    auto window = Window::make({0, 0, 400, 300});
    auto plain = View::make({250, 150, 60, 40});
    window->contentView()->addSubview(plain);
    auto controller = std::make_shared<CountingPopover>();
    controller->showForView(plain, quartz::Rect{0, 0, 5, 5});
    controller->tooltipLabel()->setStringValue("kept");
    controller->showForView(plain, quartz::Rect{0, 30, 10, 10});
    auto popover = controller->popover();
    EXPECT_EQ(popover->positioningRect(), (quartz::Rect{0, 30, 10, 10}));
    EXPECT_EQ(popover->preferredEdge(), NSMinYEdge);
    EXPECT_EQ(controller->tooltipLabel()->stringValue(), "kept");
    EXPECT_EQ(controller->showingFor(), nullptr);
    EXPECT_EQ(controller->loadedWhenPrepared, std::vector<bool>(2, true));
    popover->close();

    // A toolbar item is no view: the popover stands by the item's view, beside all of it.
    auto item = std::make_shared<ToolbarItem>();
    item->setView(plain);
    controller->showForView(item, NSMaxYEdge);
    ASSERT_TRUE(popover->isShown());
    EXPECT_EQ(popover->anchorView(), plain);
    EXPECT_EQ(popover->positioningRect(), plain->bounds());
    popover->close();
}
