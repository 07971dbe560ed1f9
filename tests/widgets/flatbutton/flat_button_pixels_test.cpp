#include "tests/widgets/flatbutton/flat_button_scene.h"
#include "tests/widgets/pixel_colors.h"

#include <gtest/gtest.h>

using namespace appkit;
using quartz::Color;

namespace {

constexpr Color blue{0, 0, 1};
constexpr Color red{1, 0, 0};
constexpr Color green{0, 0.8, 0};
constexpr Color yellow{1, 1, 0};

// The button sits at (100, 100) in the window, 120 x 40; window points grow up, button points down.
class FlatButtonPixels : public FlatButtonScene {
protected:
    void SetUp() override {
        FlatButtonScene::SetUp();
        button->setBorderWidth(2);
        button->setButtonColor(blue);
        button->setActiveButtonColor(red);
        button->setBorderColor(green);
        button->setActiveBorderColor(yellow);
        button->setIconColor(Color::whiteColor());
        button->setActiveIconColor(Color::blackColor());
    }
    // A point of the button, from its top-left corner, in window points.
    quartz::Point inButton(double x, double y) const { return {100 + x, 140 - y}; }
    Color buttonPixel(double x, double y) const {
        auto point = inButton(x, y);
        return pixelAt(point.x, point.y);
    }
};

} // namespace

TEST_F(FlatButtonPixels, ShowsTheFillAndBorderOfEachLookOnceTheChangeHasEnded) {
    render(1);
    EXPECT_PRED2(looksLike, buttonPixel(60, 4), blue);
    EXPECT_PRED2(looksLike, buttonPixel(60, 0.5), green);
    button->setOn(true);
    render(1);
    EXPECT_PRED2(looksLike, buttonPixel(60, 4), red);
    EXPECT_PRED2(looksLike, buttonPixel(60, 0.5), yellow);
}

TEST_F(FlatButtonPixels, PaintsTheIconColourExactlyWhereTheImageIsOpaque) {
    button->setTitle("");
    button->setImagePosition(ImagePosition::NSImageLeft); // centred vertically, a gap in from the left
    button->setImage(halfOpaqueIcon());
    render(1);
    quartz::Rect icon = button->iconLayer()->frame();
    EXPECT_PRED2(looksLike, buttonPixel(icon.minX() + 2, icon.midY()), Color::whiteColor());
    EXPECT_PRED2(looksLike, buttonPixel(icon.maxX() - 2, icon.midY()), blue);
}

TEST_F(FlatButtonPixels, GlowsAroundTheIconOnlyInTheOnLook) {
    button->setTitle("");
    button->setImagePosition(ImagePosition::NSImageLeft);
    button->setImage(halfOpaqueIcon());
    button->setActiveButtonColor(blue);
    button->setActiveIconColor(yellow);
    button->setGlowRadius(3);
    button->setGlowOpacity(1);
    quartz::Rect icon = button->iconLayer()->frame();
    render(1);
    Color offLook = buttonPixel(icon.minX() - 2, icon.midY());
    EXPECT_PRED2(looksLike, offLook, blue);
    button->setOn(true);
    render(1);
    Color glowing = buttonPixel(icon.minX() - 2, icon.midY());
    EXPECT_GT(glowing.red(), 0.2); // yellow light over the blue fill
    EXPECT_GT(glowing.green(), 0.2);
}

TEST_F(FlatButtonPixels, PutsTheIconBelowOrAboveTheTitleOnScreen) {
    button->setFrame({100, 60, 120, 80});
    button->setImage(halfOpaqueIcon());
    for (auto position : {ImagePosition::NSImageBelow, ImagePosition::NSImageAbove}) {
        button->setImagePosition(position);
        button->positionTitleAndImage();
        render(1);
        // Window y of the icon's opaque half and of the title's ink.
        quartz::Rect icon = button->iconLayer()->frame();
        double iconY = 140 - icon.midY();
        EXPECT_PRED2(looksLike, pixelAt(100 + icon.minX() + 2, iconY), Color::whiteColor());
        quartz::Rect title = button->titleLayer()->frame();
        double titleY = 140 - title.midY();
        if (position == ImagePosition::NSImageBelow)
            EXPECT_LT(iconY, titleY);
        else
            EXPECT_GT(iconY, titleY);
    }
}

TEST_F(FlatButtonPixels, CentresTheTitleWithoutAnImage) {
    button->setTextColor(Color::blackColor());
    render(1);
    quartz::Rect title = button->titleLayer()->frame();
    EXPECT_NEAR(title.midX(), 60, 0.5);
    EXPECT_NEAR(title.midY(), 20, 0.5);
    // Ink inside the title's frame, none in the fill beside it.
    double darkest = 1;
    for (double x = title.minX(); x < title.maxX(); x += 0.5)
        darkest = std::min(darkest, buttonPixel(x, title.midY()).blue());
    EXPECT_LT(darkest, 0.5);
    EXPECT_PRED2(looksLike, buttonPixel(title.minX() - 3, title.midY()), blue);
}

TEST_F(FlatButtonPixels, ADisabledButtonIsDrawnAtHalfStrength) {
    button->setEnabled(false);
    render(1);
    Color faded = buttonPixel(60, 4);
    EXPECT_NEAR(faded.blue(), 0.5 + 0.5 * 0.93, 0.03);
    EXPECT_NEAR(faded.red(), 0.5 * 0.93, 0.03);
}
