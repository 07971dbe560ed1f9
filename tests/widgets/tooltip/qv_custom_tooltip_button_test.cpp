#include "platform/appkit/application/bundle.h"
#include "platform/appkit/runtime/runtime.h"
#include "tests/widgets/widget_scene.h"
#include "widgets/tooltip/qv_custom_help_popover.h"
#include "widgets/tooltip/qv_custom_tooltip_button.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class CountingButton : public QvCustomTooltipButton {
public:
    int tooltipsShown = 0;

protected:
    void showTooltip() override { ++tooltipsShown; }
};

int linesSaying(const std::string& text, const std::string& line) {
    int count = 0;
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++count;
    return count;
}

class TooltipButton : public WidgetScene {
protected:
    void SetUp() override {
        WidgetScene::SetUp();
        window()->contentView()->addSubview(button);
    }

    void enter() { moveTo({110, 110}); }
    void leave() { moveTo({5, 5}); }

    std::shared_ptr<CountingButton> button = View::make<CountingButton>({100, 100, 80, 24});
};

} // namespace

TEST_F(TooltipButton, LeavingBeforeTwoSecondsCancelsTheTooltip) {
    testing::internal::CaptureStderr();
    enter();
    ASSERT_NE(button->timer(), nullptr);
    advance(1.9);
    leave();
    advance(1.0);
    EXPECT_EQ(linesSaying(testing::internal::GetCapturedStderr(), "showTooltipTimerFired"), 0);
    EXPECT_EQ(button->tooltipsShown, 0);
    EXPECT_EQ(button->timer(), nullptr);
}

TEST_F(TooltipButton, HoveringTwoSecondsLogsAndShowsOnce) {
    testing::internal::CaptureStderr();
    enter();
    advance(2.0);
    advance(10.0);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(linesSaying(log, "showTooltipTimerFired"), 1);
    EXPECT_EQ(button->tooltipsShown, 1);
    ASSERT_NE(button->timer(), nullptr); // the spent timer stays until the pointer moves on
    EXPECT_FALSE(button->timer()->isValid());
}

TEST_F(TooltipButton, ASecondEntryRestartsTheWait) {
    Event entered{Event::Type::mouseEntered, {110, 110}, 0, 1, nullptr};
    button->mouseEntered(entered);
    auto first = button->timer();
    advance(1.0);
    button->mouseEntered(entered);
    EXPECT_FALSE(first->isValid());
    advance(1.5); // 2.5 s after the first entry
    EXPECT_EQ(button->tooltipsShown, 0);
    advance(0.5);
    EXPECT_EQ(button->tooltipsShown, 1);
}

TEST_F(TooltipButton, KeepsExactlyOneAreaOfItsOwnOverItsBounds) {
    auto foreign = std::make_shared<TrackingArea>(quartz::Rect{0, 0, 5, 5}, NSTrackingMouseEnteredAndExited,
                                                  std::weak_ptr<Responder>());
    button->addTrackingArea(foreign);
    button->setFrame({100, 100, 120, 40});
    button->setFrame({100, 100, 150, 30});
    ASSERT_EQ(button->trackingAreas().size(), 2u);
    EXPECT_EQ(button->trackingAreas()[0], foreign);
    EXPECT_EQ(button->trackingAreas()[1], button->trackingArea());
    EXPECT_EQ(button->trackingArea()->rect(), quartz::Rect(0, 0, 150, 30));
    EXPECT_EQ(button->trackingArea()->options(), 129u);
}

TEST(TooltipButtonRegistration, InterfaceFilesSetItsTooltip) {
    const ClassInfo* info = Runtime::shared().classNamed("QvCustomTooltipButton");
    ASSERT_NE(info, nullptr);
    auto button = info->make();
    EXPECT_TRUE(setValueForKey(*button, "customTooltip", std::string("Starts the manager"), nullptr));
    EXPECT_EQ(std::static_pointer_cast<QvCustomTooltipButton>(button)->customTooltip(), "Starts the manager");
}

TEST(TooltipButtonSharedPopover, TheFirstExitCreatesTheSharedPopoverWithItsInterface) {
    // The shared popover lives until the process ends: only a fresh process shows its first creation.
    EXPECT_EXIT(
        {
            std::filesystem::path resources = testing::TempDir() + "/tooltip-resources";
            std::filesystem::create_directories(resources);
            std::filesystem::copy_file(std::string(VANTREL_WIDGET_RESOURCE_DIR) + "/QvCustomHelpPopover.json",
                                       resources / "QvCustomHelpPopover.json",
                                       std::filesystem::copy_options::overwrite_existing);
            Bundle::mainBundle().setResourcePath(resources);
            auto button = View::make<QvCustomTooltipButton>({0, 0, 10, 10});
            button->mouseExited(Event{Event::Type::mouseExited, {}, 0, 1, nullptr});
            std::filesystem::remove_all(resources); // a later load would find nothing
            std::exit(QvCustomHelpPopover::sharedManager()->popover() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
