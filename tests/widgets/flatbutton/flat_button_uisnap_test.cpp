// The flat button seen from outside, through uisnap: pointer scripts, property changes after
// loading, the actions its target receives, its pictures and its layer tree.
#include "tests/widgets/pixel_colors.h"
#include "tests/widgets/uisnap_command.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace description;
using quartz::Color;

namespace {

constexpr Color blue{0, 0, 1};
constexpr Color red{1, 0, 0};
const std::string fillColours = R"("buttonColor": [0, 0, 1], "activeButtonColor": [1, 0, 0])";
// In the window the button spans (20, 20) to (140, 60); its fill is clear of the title here.
constexpr double fillX = 30, fillY = 30;

// A 240 x 100 window with the button, whose action goes to a recorder.
std::string buttonWindow(const std::string& properties, const std::string& attributes = "") {
    return R"({"objects": [
      {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 240, 100], "title": "Flat"},
       "properties": {"contentView": {"ref": "content"}}},
      {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 240, 100]}, "subviews": ["button"]},
      {"id": "button", "class": "FlatButton", "attributes": {"frame": [20, 20, 120, 40], "title": "Launch",
       "font": {"name": "DejaVu Sans", "size": 13})" +
           attributes + R"(}, "properties": {)" + properties + R"(}},
      {"id": "recorder", "class": "ActionRecorder"}],
     "actions": [{"object": "button", "action": "launch:", "target": "recorder"}]})";
}

class FlatButtonThroughUisnap : public UisnapCommand {
protected:
    Result play(const std::string& script, const std::string& properties = fillColours,
                const std::string& attributes = "", const std::string& options = "--describe-layers") {
        auto result = runScript(buttonWindow(properties, attributes), script, options);
        EXPECT_EQ(result.status, 0) << result.errors;
        return result;
    }
    Color fill(const std::string& pictureName) { return pixelAt(*picture(pictureName), fillX, fillY); }
    // A point of the button from its top-left corner, as its flipped layers count.
    static Color inButton(const quartz::Bitmap& picture, double x, double yFromTop) {
        return pixelAt(picture, 20 + x, 60 - yFromTop);
    }
    static std::string viewLayer(const Result& result) {
        return lineWith(section(result.output, "FlatButton button"), " Layer ");
    }
    static std::string titleLayer(const Result& result) {
        return lineWith(section(result.output, "FlatButton button"), "TextLayer");
    }
    static std::string container(const Result& result) {
        auto button = section(result.output, "FlatButton button");
        return lineWith(button.substr(button.find('\n', button.find(" Layer ")) + 1), " Layer ");
    }
};

} // namespace

TEST_F(FlatButtonThroughUisnap, AMomentaryButtonShowsOnWhilePressedAndSendsOnceOnRelease) {
    auto result = play("move 80 40; down; snap pressed.png; up; wait 0.05; snap halfway.png; wait 0.1");
    EXPECT_PRED2(looksLike, fill("pressed.png"), red);                // the on look at once
    EXPECT_PRED2(looksLike, fill("halfway.png"), Color(0.5, 0, 0.5)); // 0.1 s back to the off look
    EXPECT_PRED2(looksLike, fill("out.png"), blue);
    EXPECT_EQ(count(result.output, "action "), 1);
    EXPECT_EQ(count(result.output, "action launch: sender=button state=0 title=\"Launch\" t=0\n"), 1);
}

TEST_F(FlatButtonThroughUisnap, AToggleButtonFlipsOnEachClickAndItsTargetSeesTheNewState) {
    auto result = play("set button momentary false; move 80 40; down; up; snap on.png; down; up; wait 0.2");
    EXPECT_PRED2(looksLike, fill("on.png"), red);
    EXPECT_PRED2(looksLike, fill("out.png"), blue);
    EXPECT_NE(result.output.find("action launch: sender=button state=1 title=\"Launch\" t=0\n"
                                 "action launch: sender=button state=0 title=\"Launch\" t=0\n"),
              std::string::npos)
        << result.output;
}

TEST_F(FlatButtonThroughUisnap, LeavingWhilePressedUndoesThePressAndTheReleaseSendsNothing) {
    auto result = play("move 80 40; down; move 200 90; move 80 40; move 200 90; up; wait 0.2");
    EXPECT_EQ(count(result.output, "action "), 0);
    EXPECT_NE(result.output.find("FlatButton button frame=(20, 20, 120, 40) state=0"), std::string::npos);
    EXPECT_PRED2(looksLike, fill("out.png"), blue);
}

TEST_F(FlatButtonThroughUisnap, AMixedStateGoesOnWhenPressedAndOffWhenReleased) {
    auto result = play("state button -1; move 80 40; down; snap pressed.png; up");
    EXPECT_PRED2(looksLike, fill("pressed.png"), red);
    EXPECT_EQ(count(result.output, "action launch: sender=button state=0"), 1);
}

TEST_F(FlatButtonThroughUisnap, AnInterruptedChangeStartsFromTheLayersOwnValue) {
    auto result = play("move 80 40; down; up; wait 0.05; down");
    EXPECT_NE(viewLayer(result).find("backgroundColor=rgba(1, 0, 0, 1)"), std::string::npos);
    // From blue, the value the layer was heading for, not the half-way colour shown.
    EXPECT_NE(section(result.output, "FlatButton button")
                  .find("animation backgroundColor from=rgba(0, 0, 1, 1) to=rgba(1, 0, 0, 1) begin=0.05 "
                        "duration=0 fill=forwards ended"),
              std::string::npos)
        << result.output;
}

TEST_F(FlatButtonThroughUisnap, ADisabledButtonIsDimAndTakesNoClicksUntilEnabledAgain) {
    auto result =
        play("enable button false; move 80 40; down; up; snap dim.png; enable button true; down; up");
    Color dim = fill("dim.png"); // half over the window's grey
    EXPECT_NEAR(dim.blue(), 0.5 + 0.5 * 0.93, 0.03);
    EXPECT_NEAR(dim.red(), 0.5 * 0.93, 0.03);
    EXPECT_EQ(count(result.output, "action "), 1);
    EXPECT_EQ(count(result.output, "alpha="), 0);
}

TEST_F(FlatButtonThroughUisnap, OnlyColourPropertiesApplyALookAndTheShapeGoesStraightToTheLayer) {
    auto result = play("set button cornerRadius 10; set button borderWidth 0", R"("cornerRadius": 8)");
    std::string layer = viewLayer(result);
    EXPECT_EQ(field(layer, "cornerRadius"), "10");
    EXPECT_EQ(field(layer, "borderWidth"), ""); // no border line
    EXPECT_EQ(field(layer, "backgroundColor"), "");
    EXPECT_EQ(count(result.output, "animation"), 0);
    // The container is the view layer's last sublayer: icon, alternate icon, then title.
    std::string button = section(result.output, "FlatButton button");
    auto icon = button.find("ShapeLayer");
    auto alternate = button.find("ShapeLayer", icon + 1);
    EXPECT_LT(icon, alternate);
    EXPECT_LT(alternate, button.find("TextLayer"));
    EXPECT_EQ(field(container(result), "frame"), "(0, 0, 120, 40)");
}

TEST_F(FlatButtonThroughUisnap, AColourSetWhileOnKeepsTheOnLookUntilTheButtonGoesOff) {
    std::string toggle = "set button momentary false; move 80 40; down; up; set button textColor [1, 0, 0]";
    EXPECT_EQ(field(titleLayer(play(toggle)), "foregroundColor"),
              "rgba(0.5, 0.5, 0.5, 1)"); // activeTextColor
    EXPECT_EQ(field(titleLayer(play(toggle + "; down; up")), "foregroundColor"), "rgba(1, 0, 0, 1)");
}

TEST_F(FlatButtonThroughUisnap, TheGlowRadiusTakesAtOnceButItsColourWaitsForAnOpacity) {
    std::string on = "set button activeIconColor [0, 1, 0]; set button glowRadius 5; "
                     "set button momentary false; move 80 40; down; up";
    std::string withoutOpacity = container(play(on));
    EXPECT_EQ(field(withoutOpacity, "shadowRadius"), "5");
    EXPECT_EQ(field(withoutOpacity, "shadowColor"), "rgba(0, 0, 0, 0)");
    std::string withOpacity = container(play("set button glowOpacity 0.8; " + on));
    EXPECT_EQ(field(withOpacity, "shadowOpacity"), "0.8");
    EXPECT_EQ(field(withOpacity, "shadowColor"), "rgba(0, 1, 0, 1)"); // activeIconColor
}

TEST_F(FlatButtonThroughUisnap, PutsTheIconBesideTheTitleOnTheSideItsImagePositionNames) {
    writeIcon("icon.png");
    auto iconAndTitleX = [&](int position) {
        auto result =
            play("", fillColours, R"(, "image": "icon.png", "imagePosition": )" + std::to_string(position));
        auto button = section(result.output, "FlatButton button");
        double icon = std::stod(field(lineWith(button, "ShapeLayer"), "frame").substr(1));
        double title = std::stod(field(lineWith(button, "TextLayer"), "frame").substr(1));
        return std::pair{icon, title};
    };
    auto [leftIcon, rightTitle] = iconAndTitleX(2); // NSImageLeft
    EXPECT_LT(leftIcon + 16, rightTitle);
    auto [rightIcon, leftTitle] = iconAndTitleX(3); // NSImageRight
    EXPECT_GT(rightIcon, leftTitle + 16);
}

TEST_F(FlatButtonThroughUisnap, OffsetsAndNewSizesWaitForTheNextPlacementAndLeaveTheContainerAlone) {
    auto titleX = [&](const std::string& script) {
        return std::stod(field(titleLayer(play(script)), "frame").substr(1));
    };
    double centred = titleX("");
    EXPECT_EQ(titleX("set button TitleHorizontalOffset -4"), centred);
    EXPECT_EQ(titleX("set button TitleHorizontalOffset -4; frame button 20 20 120 40"), centred - 4);
    auto wider = play("frame button 20 20 200 60; scale 2");
    EXPECT_NEAR(std::stod(field(titleLayer(wider), "frame").substr(1)), centred + 40, 0.5);
    EXPECT_EQ(field(container(wider), "frame"), "(0, 0, 120, 40)");
    EXPECT_EQ(field(titleLayer(wider), "scale"), "2");
    EXPECT_EQ(field(viewLayer(wider), "scale"), "2");
}

namespace {

constexpr Color green{0, 0.8, 0};
constexpr Color yellow{1, 1, 0};
const std::string drawnLooks = fillColours + R"(, "borderWidth": 2, "borderColor": [0, 0.8, 0],
    "activeBorderColor": [1, 1, 0], "iconColor": "white", "activeIconColor": [1, 1, 0])";

// The icon's frame in the button, from the description: x, y from the top, width, height.
std::vector<double> iconFrame(const std::string& output) {
    std::istringstream numbers(
        field(lineWith(section(output, "FlatButton button"), "ShapeLayer"), "frame").substr(1));
    std::vector<double> frame(4);
    char comma;
    numbers >> frame[0] >> comma >> frame[1] >> comma >> frame[2] >> comma >> frame[3];
    return frame;
}

} // namespace

TEST_F(FlatButtonThroughUisnap, DrawsTheFillAndBorderOfEachLookOnceTheChangeHasEnded) {
    play("wait 0.2; snap off.png; set button momentary false; move 80 40; down; up; wait 1", drawnLooks);
    EXPECT_PRED2(looksLike, inButton(*picture("off.png"), 60, 4), blue);
    EXPECT_PRED2(looksLike, inButton(*picture("off.png"), 60, 0.5), green);
    EXPECT_PRED2(looksLike, inButton(*picture("out.png"), 60, 4), red);
    EXPECT_PRED2(looksLike, inButton(*picture("out.png"), 60, 0.5), yellow);
}

TEST_F(FlatButtonThroughUisnap, PaintsTheIconColourWhereTheImageIsOpaqueAndGlowsAroundItWhenOn) {
    writeIcon("icon.png");
    auto result =
        play("title button; wait 0.2; snap off.png; set button glowRadius 3; set button glowOpacity 1; "
             "set button momentary false; move 80 40; down; up; wait 1",
             drawnLooks, R"(, "image": "icon.png", "imagePosition": 2)");
    auto icon = iconFrame(result.output); // 16 x 16, opaque in its left half
    double left = icon[0], middle = icon[1] + 8;
    EXPECT_PRED2(looksLike, inButton(*picture("off.png"), left + 2, middle), Color::whiteColor());
    EXPECT_PRED2(looksLike, inButton(*picture("off.png"), left + 14, middle), blue);
    EXPECT_PRED2(looksLike, inButton(*picture("off.png"), left - 2, middle), blue);
    EXPECT_GT(inButton(*picture("out.png"), left - 2, middle).green(), 0.2); // yellow light over the red fill
}

TEST_F(FlatButtonThroughUisnap, PutsTheIconBelowOrAboveTheTitleOnScreen) {
    writeIcon("icon.png");
    for (int position : {4, 5}) { // NSImageBelow, NSImageAbove
        auto result = play("frame button 20 0 120 80; wait 0.2", drawnLooks,
                           R"(, "image": "icon.png", "imagePosition": )" + std::to_string(position));
        double iconTop = iconFrame(result.output)[1];
        std::istringstream title(field(titleLayer(result), "frame").substr(1));
        double titleX, titleTop;
        char comma;
        title >> titleX >> comma >> titleTop;
        if (position == 4)
            EXPECT_LT(titleTop + 10, iconTop) << result.output;
        else
            EXPECT_GT(titleTop, iconTop + 16) << result.output;
        // The icon is painted where the description puts it: 20 points lower in the taller window.
        EXPECT_PRED2(looksLike,
                     UisnapCommand::pixelAt(*picture("out.png"), 20 + iconFrame(result.output)[0] + 2,
                                            80 - iconTop - 8),
                     Color::whiteColor());
    }
}
