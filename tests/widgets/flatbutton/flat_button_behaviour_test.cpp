#include "platform/appkit/interface_loader.h"
#include "tests/widgets/flatbutton/flat_button_scene.h"

#include <gtest/gtest.h>

using namespace appkit;
using quartz::Color;

namespace {

constexpr Color red{1, 0, 0};
constexpr Color blue{0, 0, 1};

class FlatButtonBehaviour : public FlatButtonScene {
protected:
    void SetUp() override {
        FlatButtonScene::SetUp();
        button->setButtonColor(blue);
        button->setActiveButtonColor(red);
    }
    Color fill(double later = 0) const { return shown(*button->layer(), "backgroundColor", later); }
};

} // namespace

TEST_F(FlatButtonBehaviour, AMomentaryButtonShowsOnWhilePressedAndSendsOnceOnRelease) {
    press();
    EXPECT_EQ(button->state(), NSControlStateValueOn);
    EXPECT_EQ(fill(), red); // duration 0: at once
    EXPECT_EQ(receiver->calls, 0);
    release(inside());
    EXPECT_EQ(button->state(), NSControlStateValueOff);
    EXPECT_EQ(receiver->calls, 1);
    EXPECT_EQ(receiver->stateSeen, NSControlStateValueOff);
    EXPECT_EQ(fill(), red); // the way back takes 0.1 s
    EXPECT_NEAR(fill(0.05).red(), 0.5, 1e-9);
    EXPECT_NEAR(fill(0.05).blue(), 0.5, 1e-9);
    EXPECT_EQ(fill(0.2), blue);
}

TEST_F(FlatButtonBehaviour, AToggleButtonFlipsOnEachClickAndTheReceiverSeesTheNewState) {
    button->setMomentary(false);
    click();
    EXPECT_EQ(button->state(), NSControlStateValueOn);
    EXPECT_EQ(receiver->stateSeen, NSControlStateValueOn);
    EXPECT_EQ(fill(1), red);
    click();
    EXPECT_EQ(button->state(), NSControlStateValueOff);
    EXPECT_EQ(receiver->calls, 2);
    EXPECT_EQ(fill(1), blue);
}

TEST_F(FlatButtonBehaviour, LeavingWhilePressedUndoesThePressAndSendsNothing) {
    moveTo(inside());
    press();
    moveTo(outside());
    EXPECT_FALSE(button->isMouseDown());
    release(outside());
    EXPECT_EQ(button->state(), NSControlStateValueOff);
    EXPECT_EQ(receiver->calls, 0);
    EXPECT_EQ(fill(1), blue);
}

TEST_F(FlatButtonBehaviour, ExitsAfterOnePressToggleOnceAndEntriesWhilePressedEachToggle) {
    Event exited{Event::Type::mouseExited, {}, 0, 1, nullptr};
    Event entered{Event::Type::mouseEntered, {}, 0, 1, nullptr};
    press();
    button->mouseExited(exited);
    button->mouseExited(exited);
    EXPECT_EQ(button->state(), NSControlStateValueOff);

    press();
    button->mouseEntered(entered);
    button->mouseEntered(entered);
    EXPECT_TRUE(button->isMouseDown());
    EXPECT_EQ(button->state(), NSControlStateValueOn);
    button->mouseExited(exited); // lets the hover timer go
}

TEST_F(FlatButtonBehaviour, AMixedStateGoesOnWhenPressedAndOffWhenReleased) {
    button->setState(NSControlStateValueMixed);
    press();
    EXPECT_EQ(button->state(), NSControlStateValueOn);
    release(inside());
    EXPECT_EQ(button->state(), NSControlStateValueOff);
}

TEST_F(FlatButtonBehaviour, AnInterruptedChangeStartsFromTheLayersOwnValue) {
    click(); // heading back to blue over 0.1 s
    advance(0.05);
    press(); // on look from blue, the model value, not the half-way colour shown
    auto animation = button->layer()->animationForKey("backgroundColor");
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->fromValue(), std::optional<quartz::LayerValue>(blue));
    EXPECT_EQ(animation->toValue(), std::optional<quartz::LayerValue>(red));
}

TEST_F(FlatButtonBehaviour, SetOnToTheCurrentStateKeepsRunningAnimations) {
    click();
    button->setOn(false);
    EXPECT_NE(button->layer()->animationForKey("backgroundColor"), nullptr);
    button->setOn(true);
    EXPECT_EQ(button->state(), NSControlStateValueOn);
    EXPECT_EQ(fill(), red);
}

TEST_F(FlatButtonBehaviour, GlowWithoutOpacityIsNeverAnimated) {
    button->setGlowRadius(5);
    click();
    EXPECT_EQ(button->containerLayer()->animationForKey("shadowColor"), nullptr);
    EXPECT_EQ(button->containerLayer()->shadowColor(), Color::clearColor());
}

TEST_F(FlatButtonBehaviour, AnAlternateImageSwapsTheIconsBetweenLooks) {
    button->setImage(halfOpaqueIcon());
    button->setAlternateImage(halfOpaqueIcon(24));
    button->setOn(true);
    EXPECT_EQ(shown(*button->iconLayer(), "backgroundColor", 1), Color::clearColor());
    EXPECT_EQ(shown(*button->alternateIconLayer(), "backgroundColor", 1), button->activeIconColor());
    button->setOn(false);
    EXPECT_EQ(shown(*button->iconLayer(), "backgroundColor", 1), button->iconColor());
    EXPECT_EQ(shown(*button->alternateIconLayer(), "backgroundColor", 1), Color::clearColor());
}

TEST_F(FlatButtonBehaviour, ADisabledButtonIsDimAndTakesNoClicks) {
    button->setEnabled(false);
    EXPECT_EQ(button->alphaValue(), 0.5);
    EXPECT_EQ(button->hitTest(inside()), nullptr);
    click();
    EXPECT_EQ(button->state(), NSControlStateValueOff);
    EXPECT_EQ(receiver->calls, 0);
    button->setEnabled(true);
    EXPECT_EQ(button->alphaValue(), 1.0);
    EXPECT_EQ(button->hitTest(inside()), button);
}

TEST_F(FlatButtonBehaviour, WithoutATargetTheLookStillChanges) {
    button->setTarget(nullptr);
    button->setMomentary(false);
    click();
    EXPECT_EQ(button->state(), NSControlStateValueOn);
    EXPECT_EQ(fill(1), red);
    EXPECT_EQ(receiver->calls, 0);
}

TEST_F(FlatButtonBehaviour, ALoadedButtonHearsEachCrossingTwice) {
    std::string error;
    auto loaded = loadInterfaceData(R"({"objects": [{"id": "button", "class": "FlatButton",
        "attributes": {"frame": [20, 20, 120, 40], "title": "Go"}}]})",
                                    "button.json", {}, nullptr, &error);
    ASSERT_TRUE(loaded) << error;
    auto loadedButton = std::dynamic_pointer_cast<FlatButton>(loaded->objectWithId("button"));
    window()->contentView()->addSubview(loadedButton);
    ASSERT_EQ(loadedButton->trackingAreas().size(), 2u);
    window()->mouseDownAt({30, 30}); // pressed without having entered: on
    moveTo({30, 30});
    EXPECT_EQ(loadedButton->state(), NSControlStateValueOn); // two entries toggled twice
    moveTo({5, 5});
    EXPECT_EQ(loadedButton->state(), NSControlStateValueOff); // two exits toggled once
    EXPECT_FALSE(loadedButton->isMouseDown());
}
