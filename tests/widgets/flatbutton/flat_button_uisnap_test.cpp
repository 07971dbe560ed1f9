// The flat button seen from outside, through uisnap: pointer scripts, property changes after
// loading, the actions its target receives, its pictures and its layer tree.
#include "tests/widgets/pixel_colors.h"
#include "tests/widgets/uisnap_command.h"

#include <cstdio>

using namespace description;
using quartz::Color;

namespace {

constexpr Color blue{0, 0, 1};
constexpr Color red{1, 0, 0};
const std::string fillColours = R"("buttonColor": [0, 0, 1], "activeButtonColor": [1, 0, 0])";
const std::string drawnLooks = fillColours + R"(, "borderWidth": 2, "borderColor": [0, 0.8, 0],
    "activeBorderColor": [1, 1, 0], "iconColor": "white", "activeIconColor": [1, 1, 0])";

// A 240 x 100 window with the button at (20, 20, 120, 40), whose action goes to a recorder.
std::string buttonWindow(const std::string& properties, const std::string& attributes) {
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
    std::string play(const std::string& script, const std::string& properties = fillColours,
                     const std::string& attributes = "") {
        auto result = runScript(buttonWindow(properties, attributes), script, "--describe-layers");
        EXPECT_EQ(result.status, 0) << result.errors;
        return result.output;
    }
    static std::string layer(const std::string& output, const std::string& kind) {
        return lineWith(section(output, "FlatButton button"), kind);
    }
};

} // namespace

TEST_F(FlatButtonThroughUisnap, ClicksShowTheOnLookAndSendTheNewStateAsEachKindOfButtonShould) {
    struct Case {
        std::string script;
        Color fill;         // in a.png
        std::string states; // sent, in order
    } cases[] = {
        // Momentary: half-way back to off 0.05 s after the release, the change taking 0.1 s.
        {"move 80 40; down; up; wait 0.05; snap a.png", Color(0.5, 0, 0.5), "0"},
        {"set button momentary false; move 80 40; down; up; snap a.png; down; up", red, "10"},
        {"move 80 40; down; move 200 90; move 80 40; move 200 90; up; wait 0.2; snap a.png", blue, ""},
        {"state button -1; move 80 40; down; snap a.png; up", red, "0"},
        // Disabled: half over the window's grey, and deaf.
        {"enable button false; move 80 40; down; up; snap a.png; enable button true; down; up",
         Color(0.465, 0.465, 0.965), "0"},
    };
    for (const auto& [script, fill, states] : cases) {
        std::string output = play(script), sent;
        for (char state : states)
            sent += "action launch: sender=button state=" + std::string(1, state) + " title=\"Launch\" t=0\n";
        EXPECT_EQ(count(output, "action "), static_cast<int>(states.size())) << output;
        EXPECT_NE(output.find(sent), std::string::npos) << output;
        EXPECT_PRED2(looksLike, pixelAt(*picture("a.png"), 30, 30), fill) << script;
    }
}

TEST_F(FlatButtonThroughUisnap, AColourSetWhileOnWaitsForTheOffLookAndAPressStartsFromTheLayersValue) {
    std::string toggle = "set button momentary false; move 80 40; down; up; set button textColor [1, 0, 0]";
    EXPECT_EQ(field(layer(play(toggle), "TextLayer"), "foregroundColor"), "rgba(0.5, 0.5, 0.5, 1)");
    EXPECT_EQ(field(layer(play(toggle + "; down; up"), "TextLayer"), "foregroundColor"), "rgba(1, 0, 0, 1)");
    // From blue, where the interrupted change back to off was heading, not the colour shown.
    EXPECT_EQ(field(lineWith(play("move 80 40; down; up; wait 0.05; down"), "begin=0.05"), "from"),
              "rgba(0, 0, 1, 1)");
}

TEST_F(FlatButtonThroughUisnap, PutsTheIconWhereItsPositionSaysAndDrawsEachLookOnceTheChangeHasEnded) {
    writeIcon("icon.png");
    // NSImageLeft, NSImageRight, NSImageBelow, NSImageAbove: how far the icon lies that way of the
    // title, placed again for the button's new height.
    struct Case {
        int position;
        double towardsX, towardsY, least;
    } cases[] = {{2, -1, 0, 16}, {3, 1, 0, 16}, {4, 0, 1, 30}, {5, 0, -1, 30}};
    for (auto [position, towardsX, towardsY, least] : cases) {
        auto output =
            play("frame button 20 20 120 80; wait 0.2; snap off.png; set button glowRadius 3; "
                 "set button glowOpacity 1; set button momentary false; move 80 40; down; up; wait 1",
                 drawnLooks, R"(, "image": "icon.png", "imagePosition": )" + std::to_string(position));
        double iconX = 0, iconY = 0, titleX = 0, titleY = 0; // the icon is 16 x 16, opaque in its left half
        std::sscanf(field(layer(output, "ShapeLayer"), "frame").c_str(), "(%lf, %lf", &iconX, &iconY);
        std::sscanf(field(layer(output, "TextLayer"), "frame").c_str(), "(%lf, %lf", &titleX, &titleY);
        EXPECT_GT(towardsX * (iconX - titleX) + towardsY * (iconY - titleY), least) << output;
        auto off = picture("off.png"), on = picture("out.png");
        auto at = [&](const quartz::Bitmap& picture, double x, double y) {
            return pixelAt(picture, 20 + x, 100 - y);
        };
        EXPECT_PRED2(looksLike, at(*off, 10, 4), blue) << position;
        EXPECT_PRED2(looksLike, at(*off, 10, 0.5), Color(0, 0.8, 0));
        EXPECT_PRED2(looksLike, at(*off, iconX + 2, iconY + 8), Color::whiteColor());
        EXPECT_PRED2(looksLike, at(*off, iconX + 14, iconY + 8), blue);
        EXPECT_PRED2(looksLike, at(*on, 10, 4), red);
        EXPECT_PRED2(looksLike, at(*on, 10, 0.5), Color(1, 1, 0));
        EXPECT_GT(at(*on, iconX - 2, iconY + 8).green(), 0.2); // yellow light over the red fill
    }
}
