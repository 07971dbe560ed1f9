#include "platform/appkit/views/toolbar_item.h"
#include "tests/widgets/widget_scene.h"
#include "widgets/tooltip/qv_custom_help_popover.h"
#include "widgets/tooltip/qv_custom_tooltip_button.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

// What a subclass does to put its tooltip on screen.
class ShowingButton : public QvCustomTooltipButton {
protected:
    void showTooltip() override { QvCustomHelpPopover::sharedManager()->showForView(shared_from_this()); }
};

class CountingPopover : public QvCustomHelpPopover {
public:
    void aboutToShow() override {
        ++preparations;
        wasLoadedWhenPrepared = isViewLoaded() && popover() != nullptr;
    }
    int preparations = 0;
    bool wasLoadedWhenPrepared = false;

protected:
    std::string nibName() const override { return "QvCustomHelpPopover"; }
};

class HelpPopover : public WidgetScene {
protected:
    void SetUp() override {
        WidgetScene::SetUp();
        window()->contentView()->addSubview(button);
        window()->contentView()->addSubview(plain);
        button->setCustomTooltip("Starts the manager");
    }
    void TearDown() override {
        if (auto shown = shared()->popover())
            shown->close();
        WidgetScene::TearDown();
    }

    static const std::shared_ptr<QvCustomHelpPopover>& shared() {
        return QvCustomHelpPopover::sharedManager();
    }

    std::shared_ptr<ShowingButton> button = View::make<ShowingButton>({100, 100, 80, 24});
    std::shared_ptr<View> plain = View::make({250, 150, 60, 40});
};

} // namespace

TEST_F(HelpPopover, IsOneSharedObjectWiredByItsInterface) {
    EXPECT_EQ(&QvCustomHelpPopover::sharedManager(), &QvCustomHelpPopover::sharedManager());
    EXPECT_TRUE(shared()->isViewLoaded());
    ASSERT_NE(shared()->popover(), nullptr);
    ASSERT_NE(shared()->tooltipLabel(), nullptr);
    EXPECT_EQ(shared()->showingFor(), nullptr);
}

TEST_F(HelpPopover, AButtonHoveredForTwoSecondsShowsItsTooltipAboveItself) {
    moveTo({110, 110});
    advance(2.0);
    auto popover = shared()->popover();
    ASSERT_TRUE(popover->isShown());
    EXPECT_EQ(shared()->tooltipLabel()->stringValue(), "Starts the manager");
    EXPECT_EQ(shared()->showingFor(), button.get());
    // The minimum-y edge of a flipped button is its top on screen.
    auto frame = popover->contentFrameInWindow();
    ASSERT_TRUE(frame);
    EXPECT_DOUBLE_EQ(frame->minY(), 124 + Popover::arrowGap);
    EXPECT_DOUBLE_EQ(frame->midX(), 140);
    EXPECT_LT(frame->width(), 240) << "a short text gets a narrow popover";

    std::string sentence = "Starts the Vantrel manager application. ";
    button->setCustomTooltip(sentence + sentence + sentence + sentence);
    shared()->showForView(button);
    frame = popover->contentFrameInWindow();
    EXPECT_GT(frame->width(), 240);
    EXPECT_LE(frame->width(), 300);
    EXPECT_GT(frame->height(), 4 * 12) << "four wrapped lines of 12-point text fit inside";

    moveTo({5, 5});
    EXPECT_FALSE(popover->isShown());
}

TEST_F(HelpPopover, ShowsBelowAPlainViewAndBesideARectangle) {
    shared()->showForView(plain, NSMinYEdge);
    auto frame = shared()->popover()->contentFrameInWindow();
    ASSERT_TRUE(frame);
    EXPECT_DOUBLE_EQ(frame->maxY(), 150 - Popover::arrowGap);

    shared()->tooltipLabel()->setStringValue("kept");
    shared()->showForView(plain, quartz::Rect{0, 30, 10, 10});
    frame = shared()->popover()->contentFrameInWindow();
    EXPECT_DOUBLE_EQ(frame->maxY(), 180 - Popover::arrowGap);
    EXPECT_DOUBLE_EQ(frame->midX(), 255);
    EXPECT_EQ(shared()->tooltipLabel()->stringValue(), "kept");
    EXPECT_EQ(shared()->showingFor(), nullptr);
}

TEST_F(HelpPopover, AnchorsAToolbarItemOnItsViewAndShowsNothingForOneWithout) {
    auto item = std::make_shared<ToolbarItem>();
    shared()->showForView(item, NSMinYEdge);
    EXPECT_FALSE(shared()->popover()->isShown());
    item->setView(plain);
    shared()->showForView(item, NSMaxYEdge);
    ASSERT_TRUE(shared()->popover()->isShown());
    EXPECT_EQ(shared()->popover()->anchorView(), plain);
    EXPECT_EQ(shared()->popover()->positioningRect(), plain->bounds());
}

TEST_F(HelpPopover, AViewWithoutATooltipGetsAnEmptyLabel) {
    shared()->tooltipLabel()->setStringValue("old");
    shared()->showForView(plain);
    EXPECT_TRUE(shared()->popover()->isShown());
    EXPECT_EQ(shared()->tooltipLabel()->stringValue(), "");
}

TEST_F(HelpPopover, ClosingForTheRecordedViewWhenClosedOnlyClearsTheRecord) {
    shared()->showForView(plain);
    shared()->popover()->close();
    shared()->closeIfShowingFor(plain.get());
    EXPECT_EQ(shared()->showingFor(), nullptr);
    EXPECT_FALSE(shared()->popover()->isShown());
}

TEST_F(HelpPopover, PreparesOnceForEveryShowAfterLoading) {
    auto controller = std::make_shared<CountingPopover>();
    controller->showForView(plain);
    controller->showForView(plain, quartz::Rect{0, 0, 5, 5});
    EXPECT_EQ(controller->preparations, 2);
    EXPECT_TRUE(controller->wasLoadedWhenPrepared);
    if (auto shown = controller->popover())
        shown->close();
}
