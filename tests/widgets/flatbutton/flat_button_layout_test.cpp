#include "platform/appkit/attributed_string.h"
#include "tests/widgets/flatbutton/flat_button_scene.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace appkit;

namespace {

class FlatButtonLayout : public FlatButtonScene {
protected:
    void SetUp() override {
        FlatButtonScene::SetUp();
        button->setImage(halfOpaqueIcon());
        AttributedString title;
        title.string = button->title();
        title.font = button->font();
        quartz::Size size = sizeOfAttributedString(title);
        tw = size.width;
        th = size.height;
    }

    quartz::Point titleOrigin() const { return button->titleLayer()->frame().origin; }
    quartz::Point iconOrigin() const { return button->iconLayer()->frame().origin; }
    void place(ImagePosition position) {
        button->setImagePosition(position);
        button->positionTitleAndImage();
    }

    static constexpr double W = 120, H = 40, iw = 16, ih = 16;
    double tw = 0, th = 0;
};

} // namespace

TEST_F(FlatButtonLayout, PlacesTitleAndIconForEachImagePosition) {
    double horizontalGap = std::round((W - (tw + iw)) / 3);
    double verticalGap = std::round((H - (th + ih)) / 3);
    double middleY = std::round((H - th) / 2);

    place(ImagePosition::NSImageLeft);
    EXPECT_EQ(titleOrigin(), (quartz::Point{W - tw - 6, middleY}));
    EXPECT_EQ(iconOrigin(), (quartz::Point{horizontalGap, 12}));

    place(ImagePosition::NSImageRight);
    EXPECT_EQ(titleOrigin(), (quartz::Point{2, middleY}));
    EXPECT_EQ(iconOrigin(), (quartz::Point{W - iw - horizontalGap, 12}));

    place(ImagePosition::NSImageBelow);
    EXPECT_EQ(titleOrigin(), (quartz::Point{std::round((W - tw) / 2), 2}));
    EXPECT_EQ(iconOrigin(), (quartz::Point{52, H - verticalGap - ih}));

    place(ImagePosition::NSImageAbove);
    EXPECT_EQ(titleOrigin(), (quartz::Point{std::round((W - tw) / 2), H - th}));
    EXPECT_EQ(iconOrigin(), (quartz::Point{52, verticalGap}));

    place(ImagePosition::NSNoImage); // the icon stays where it was
    EXPECT_EQ(titleOrigin(), (quartz::Point{std::round((W - tw) / 2), middleY}));
    EXPECT_EQ(iconOrigin(), (quartz::Point{52, verticalGap}));
    EXPECT_EQ(button->titleLayer()->frame().size, (quartz::Size{tw, th}));
    EXPECT_EQ(button->alternateIconLayer()->frame(), button->iconLayer()->frame());
}

TEST_F(FlatButtonLayout, RoundsHalvesAwayFromZeroAndKeepsNegativeCentring) {
    button->setFrame({100, 100, tw - 5, 40}); // (W - tw) / 2 = -2.5
    EXPECT_EQ(titleOrigin().x, -3);
}

TEST_F(FlatButtonLayout, OffsetsMoveOnlyWhatTheyName) {
    button->setImagePosition(ImagePosition::NSImageLeft);
    button->setTitleHorizontalOffset(-4);
    button->setImageHorizontalOffset(5);
    button->setTitleVerticalOffset(3);
    quartz::Point before = titleOrigin();
    EXPECT_EQ(titleOrigin(), before); // nothing moves until the next placement
    button->layout();
    EXPECT_EQ(titleOrigin().x, W - tw - 6 - 4);
    EXPECT_EQ(titleOrigin().y, std::round((H - th) / 2) + 3);
    EXPECT_EQ(iconOrigin().x, std::round((W - (tw + iw)) / 3) + 5);
    EXPECT_EQ(iconOrigin().y, 12);
    EXPECT_EQ(button->alternateIconLayer()->frame().origin, iconOrigin());
}

TEST_F(FlatButtonLayout, AFrameChangeReplacesButLeavesTheContainerAlone) {
    button->setImagePosition(ImagePosition::NSImageRight);
    button->setFrame({100, 100, 200, 60});
    EXPECT_EQ(iconOrigin().x, 200 - iw - std::round((200 - (tw + iw)) / 3));
    EXPECT_EQ(button->containerLayer()->frame(), quartz::Rect(0, 0, 120, 40));
}

TEST_F(FlatButtonLayout, ImagesBecomeStencilsAndStayWhenRemoved) {
    auto mask = button->iconLayer()->mask();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->frame(), quartz::Rect(0, 0, 16, 16));
    EXPECT_NE(mask->contents(), nullptr);
    button->setImage(std::nullopt);
    EXPECT_EQ(button->iconLayer()->mask(), mask);
}

TEST_F(FlatButtonLayout, AnAlternateImageWaitsForTheImage) {
    auto fresh = View::make<FlatButton>({0, 0, 120, 40});
    fresh->setAlternateImage(halfOpaqueIcon(24));
    EXPECT_EQ(fresh->alternateIconLayer()->mask(), nullptr);
    fresh->setImage(halfOpaqueIcon());
    ASSERT_NE(fresh->alternateIconLayer()->mask(), nullptr);
    EXPECT_EQ(fresh->alternateIconLayer()->mask()->frame().size, (quartz::Size{24, 24}));
    EXPECT_EQ(fresh->alternateIconLayer()->frame().size, (quartz::Size{16, 16})); // cut to the image's size
}

TEST_F(FlatButtonLayout, WithoutAFontATitleChangesNothing) {
    auto fresh = View::make<FlatButton>({0, 0, 120, 40});
    fresh->setFont(std::nullopt);
    fresh->setTitle("Go");
    EXPECT_EQ(fresh->titleLayer()->string(), "");
}

TEST_F(FlatButtonLayout, TheWindowsScaleReachesTitleIconAndViewLayers) {
    window()->setBackingScaleFactor(2);
    EXPECT_EQ(button->titleLayer()->contentsScale(), 2);
    EXPECT_EQ(button->iconLayer()->contentsScale(), 2);
    EXPECT_EQ(button->layer()->contentsScale(), 2);
}
