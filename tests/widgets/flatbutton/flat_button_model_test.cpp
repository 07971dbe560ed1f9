#include "platform/appkit/interface_loader.h"
#include "tests/widgets/flatbutton/flat_button_scene.h"

#include <gtest/gtest.h>

using namespace appkit;
using quartz::Color;

using FlatButtonModel = FlatButtonScene;

TEST_F(FlatButtonModel, StartsWithItsDefaultsAndLayerTree) {
    auto fresh = View::make<FlatButton>({0, 0, 80, 30});
    EXPECT_TRUE(fresh->momentary());
    EXPECT_EQ(fresh->onAnimationDuration(), 0);
    EXPECT_EQ(fresh->offAnimationDuration(), 0.1);
    EXPECT_EQ(fresh->glowRadius(), 0);
    EXPECT_EQ(fresh->glowOpacity(), 0);
    EXPECT_EQ(fresh->cornerRadius(), 4);
    EXPECT_EQ(fresh->borderWidth(), 1);
    EXPECT_EQ(fresh->borderColor(), Color::darkGrayColor());
    EXPECT_EQ(fresh->activeIconColor(), Color::blackColor());
    EXPECT_EQ(fresh->textColor(), Color::grayColor());

    const auto& layer = *fresh->layer();
    EXPECT_EQ(layer.sublayers().back(), fresh->containerLayer());
    EXPECT_EQ(fresh->containerLayer()->sublayers(),
              (std::vector<std::shared_ptr<quartz::Layer>>{fresh->iconLayer(), fresh->alternateIconLayer(),
                                                           fresh->titleLayer()}));
    EXPECT_EQ(layer.cornerRadius(), 4);
    EXPECT_EQ(layer.borderWidth(), 1);
    EXPECT_FALSE(layer.masksToBounds());
    EXPECT_TRUE(fresh->iconLayer()->masksToBounds());
    EXPECT_EQ(fresh->containerLayer()->frame(), quartz::Rect(0, 0, 80, 30));
    EXPECT_EQ(fresh->containerLayer()->shadowColor(), Color::clearColor());
    EXPECT_EQ(layer.delegate().get(), static_cast<quartz::LayerDelegate*>(fresh.get()));
    EXPECT_EQ(fresh->titleLayer()->delegate().get(), static_cast<quartz::LayerDelegate*>(fresh.get()));
    EXPECT_FALSE(layer.backgroundColor().has_value()); // no colour until the first look
}

TEST_F(FlatButtonModel, CornerRadiusAndBorderWidthGoStraightToTheLayer) {
    button->setCornerRadius(10);
    button->setBorderWidth(0);
    EXPECT_EQ(button->layer()->cornerRadius(), 10);
    EXPECT_EQ(button->layer()->borderWidth(), 0);
    EXPECT_TRUE(button->layer()->animationKeys().empty());
    EXPECT_FALSE(button->layer()->backgroundColor().has_value());
}

TEST_F(FlatButtonModel, AColourSetWhileOnReappliesTheOnLook) {
    button->setOn(true);
    button->setTextColor(Color(1, 0, 0));
    EXPECT_EQ(button->titleLayer()->foregroundColor(), button->activeTextColor());
    button->setOn(false);
    EXPECT_EQ(button->titleLayer()->foregroundColor(), Color(1, 0, 0));
}

TEST_F(FlatButtonModel, GlowRadiusReachesTheContainerAtOnceButItsColourNeedsOpacity) {
    button->setGlowRadius(3);
    EXPECT_EQ(button->containerLayer()->shadowRadius(), 3);
    button->setOn(true);
    EXPECT_EQ(button->containerLayer()->shadowColor(), Color::clearColor());
    button->setGlowOpacity(0.8f);
    EXPECT_EQ(button->containerLayer()->shadowOpacity(), 0.8f);
    EXPECT_EQ(button->containerLayer()->shadowColor(), button->activeIconColor());
}

TEST_F(FlatButtonModel, AnInterfaceFileBuildsItWithArchivedAttributesFirst) {
    std::string error;
    auto loaded = loadInterfaceData(R"({"objects": [{"id": "button", "class": "FlatButton",
        "attributes": {"frame": [0, 0, 120, 40], "title": "Go", "font": {"name": "DejaVu Sans", "size": 14},
                       "state": 1},
        "properties": {"cornerRadius": 8, "buttonColor": [0, 0, 1], "activeButtonColor": [1, 0, 0],
                       "customTooltip": "Starts it"}}]})",
                                    "button.json", {}, nullptr, &error);
    ASSERT_TRUE(loaded) << error;
    auto loadedButton = std::dynamic_pointer_cast<FlatButton>(loaded->objectWithId("button"));
    ASSERT_NE(loadedButton, nullptr);
    EXPECT_EQ(loadedButton->titleLayer()->string(), "Go");
    EXPECT_EQ(loadedButton->titleLayer()->fontSize(), 14);
    EXPECT_EQ(loadedButton->layer()->cornerRadius(), 8);
    EXPECT_EQ(loadedButton->layer()->backgroundColor(), Color(1, 0, 0)); // on look: its state is on
    EXPECT_EQ(loadedButton->customTooltip(), "Starts it");
    ASSERT_EQ(loadedButton->trackingAreas().size(), 1u); // its own; the base's comes with a window
    EXPECT_EQ(loadedButton->trackingAreas()[0]->options(), 641u);
}

TEST_F(FlatButtonModel, OnlyPropertiesThatTouchColoursApplyALook) {
    std::string error;
    auto loaded = loadInterfaceData(R"({"objects": [{"id": "button", "class": "FlatButton",
        "attributes": {"frame": [0, 0, 120, 40]}, "properties": {"cornerRadius": 8, "borderWidth": 2}}]})",
                                    "button.json", {}, nullptr, &error);
    ASSERT_TRUE(loaded) << error;
    auto loadedButton = std::dynamic_pointer_cast<FlatButton>(loaded->objectWithId("button"));
    EXPECT_FALSE(loadedButton->layer()->backgroundColor().has_value());
    EXPECT_FALSE(loadedButton->iconLayer()->backgroundColor().has_value());
}
