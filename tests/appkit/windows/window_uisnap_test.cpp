// Windows as the user sees them, through the uisnap tool: keys, focus, popovers, layout.
#include "tests/widgets/pixel_colors.h"
#include "tests/widgets/uisnap_command.h"

#include <gtest/gtest.h>
#include <string>

using namespace description;

namespace {

// A flat default button, red while pressed, beside a plain button that Escape presses.
constexpr const char* defaultAndCancel = R"({"objects": [
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 200, 80]}, "subviews": ["flat", "cancel"]},
  {"id": "flat", "class": "FlatButton", "attributes": {"frame": [100, 20, 80, 40], "keyEquivalent": "\r"},
   "properties": {"buttonColor": [0, 0, 1], "activeButtonColor": [1, 0, 0], "offAnimationDuration": 0}},
  {"id": "cancel", "class": "Button", "attributes": {"frame": [10, 20, 80, 40], "keyEquivalent": "\u001b"}},
  {"id": "recorder", "class": "ActionRecorder"}
], "actions": [{"object": "flat", "action": "go:", "target": "recorder"},
               {"object": "cancel", "action": "cancel:", "target": "recorder"}]})";

// Buttons written out of reading order, a disabled one and a label among them.
constexpr const char* fourButtons = R"({"objects": [
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 300, 110]},
   "subviews": ["c", "b", "label", "off", "a"]},
  {"id": "c", "class": "Button", "attributes": {"frame": [10, 10, 80, 30]}},
  {"id": "b", "class": "Button", "attributes": {"frame": [200, 70, 80, 30]}},
  {"id": "label", "class": "TextField", "attributes": {"frame": [10, 45, 200, 20], "string": "Text"}},
  {"id": "off", "class": "Button", "attributes": {"frame": [110, 70, 80, 30], "enabled": false}},
  {"id": "a", "class": "Button", "attributes": {"frame": [10, 70, 80, 30]}},
  {"id": "recorder", "class": "ActionRecorder"}
], "actions": [{"object": "a", "action": "press:", "target": "recorder"},
  {"object": "b", "action": "press:", "target": "recorder"}, {"object": "c", "action": "press:", "target": "recorder"}]})";

constexpr const char* roundButton = R"({"objects": [
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 120, 80]}, "subviews": ["round"]},
  {"id": "round", "class": "FlatButton", "attributes": {"frame": [20, 20, 80, 40]},
   "properties": {"cornerRadius": 10, "buttonColor": "white"}}]})";

// A 300 x 120 view with a tooltip button along its top edge.
constexpr const char* tooltipButton = R"({"objects": [
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 300, 120]}, "subviews": ["top"]},
  {"id": "top", "class": "QvCustomTooltipButton", "attributes": {"frame": [100, 80, 100, 40], "title": "Top"},
   "properties": {"customTooltip": "Starts the Vantrel manager application, which checks this application in. It closes this window once it runs, and opens it again when the check-in is due."}}]})";

// A flat button below the content view whose offsets the file sets after it placed its title.
std::string offsetFlatButton(int titleX, int imageX) {
    return R"({"objects": [
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 160, 80]}, "subviews": ["flat"]},
  {"id": "flat", "class": "FlatButton",
   "attributes": {"frame": [20, 20, 120, 40], "title": "Go", "image": "icon.png", "imagePosition": 2},
   "properties": {"TitleHorizontalOffset": )" +
           std::to_string(titleX) + R"(, "ImageHorizontalOffset": )" + std::to_string(imageX) + "}}]}";
}

// The senders of the recorded actions, in order, each followed by a space.
std::string sendersIn(const std::string& output) {
    constexpr std::string_view marker = "sender=";
    std::string senders;
    for (auto at = output.find(marker); at != std::string::npos; at = output.find(marker, at + 1)) {
        auto start = at + marker.size();
        senders += output.substr(start, output.find(' ', start) - start) + " ";
    }
    return senders;
}

bool isRing(quartz::Color pixel) {
    return pixel.blue() > pixel.red() + 0.25;
}

} // namespace

TEST_F(UisnapCommand, ReturnHoldsTheDefaultButtonPressedAndEscapeItsOwnButton) {
    auto result = runScript(defaultAndCancel,
                            "keydown return; wait 0.5; snap held.png; keyup return; snap released.png; "
                            "key return ctrl; key escape; enable flat false; key return",
                            "--describe-layers");
    ASSERT_EQ(result.status, 0) << result.errors;
    // One press, sent at the key's release, not at its press.
    EXPECT_EQ(sendersIn(result.output), "flat cancel ");
    EXPECT_NE(result.output.find("action go: sender=flat state=0 title=\"\" t=0.5\n"), std::string::npos);
    EXPECT_PRED2(looksLike, pixelAt(*picture("held.png"), 140, 40), quartz::Color(1, 0, 0));
    EXPECT_PRED2(looksLike, pixelAt(*picture("released.png"), 140, 40), quartz::Color(0, 0, 1));
    // The button's Escape is not the window's: the window stays.
    EXPECT_FALSE(lineWith(result.output, "Window ").ends_with(" closed"));
}

TEST_F(UisnapCommand, TabWalksTheEnabledButtonsInReadingOrderAndSpacePressesTheFocusedOne) {
    EXPECT_EQ(sendersIn(described(fourButtons, "key space; key tab; key space; key tab; key space; key tab; "
                                               "key space; key tab; key space; key tab shift; key tab shift; "
                                               "key space; key tab; enable c false; key space")),
              "a b c a b ");
}

TEST_F(UisnapCommand, TheFocusRingFollowsTheButtonsCornersWhileItsWindowIsKey) {
    for (auto [script, name] :
         {std::pair{"", "none.png"}, {"key tab", "ring.png"}, {"key tab; deactivate", "away.png"}})
        ASSERT_EQ(
            runScript(roundButton, std::string(script) + (*script ? "; " : "") + "snap " + name, "--scale 2")
                .status,
            0);
    auto none = picture("none.png");
    auto ring = picture("ring.png");
    // Just outside the top edge, and where the corner's arc runs inside the bounds.
    for (auto [x, y] : {std::pair{60.0, 61.5}, std::pair{21.6, 58.4}}) {
        EXPECT_FALSE(isRing(pixelAt(*none, x, y, 2))) << x << ", " << y;
        EXPECT_TRUE(isRing(pixelAt(*ring, x, y, 2))) << x << ", " << y;
    }
    // Off the rounded corner a square ring would cover this point.
    EXPECT_PRED2(looksLike, pixelAt(*ring, 18.8, 61.2, 2), pixelAt(*none, 18.8, 61.2, 2));
    EXPECT_PRED2(looksLike, pixelAt(*picture("away.png"), 60, 61.5, 2), pixelAt(*none, 60, 61.5, 2));
}

TEST_F(UisnapCommand, EscapeAndControlWCloseTheWindowOtherKeysLeaveIt) {
    for (auto [keys, closes] : {std::pair{"key escape shift", true},
                                {"key w ctrl", true},
                                {"key w ctrl shift", false},
                                {"deactivate; activate; key tab shift", false}}) {
        EXPECT_EQ(lineWith(described(fourButtons, keys), "Window ").ends_with(" closed"), closes) << keys;
    }
}

// The picture grows upwards by the gap and the bubble, wrapped at 300 points, and the window
// below it is unchanged.
TEST_F(UisnapCommand, AHelpPopoverAboveTheWindowsTopReachesPastTheWindowAndCoversNothing) {
    ASSERT_EQ(runScript(tooltipButton, "snap before.png; popover top; snap shown.png").status, 0);
    auto before = picture("before.png");
    auto shown = picture("shown.png");
    ASSERT_EQ(shown->width(), 300);
    int rise = shown->height() - before->height();
    EXPECT_GT(rise, 8 + 3 * 12) << "three wrapped lines of 12-point text and the margins";
    for (int y = 0; y < before->height(); ++y)
        for (int x = 0; x < before->width(); ++x)
            ASSERT_EQ(before->argbAt(x, y), shown->argbAt(x, y + rise)) << x << ", " << y;
    EXPECT_GT(pixelAt(*shown, 150, 120 + 8 + 2).red(), 0.95) << "no light bubble above the window";
}

// Only the window's layout pass before the first frame applies the offsets the file sets.
TEST_F(UisnapCommand, AViewBelowTheContentViewIsLaidOutBeforeTheFirstFrame) {
    writeIcon("icon.png");
    auto xOf = [this](const std::string& interface, const char* layer) {
        auto frame = field(lineWith(section(described(interface, ""), "FlatButton flat"), layer), "frame");
        return std::stod(frame.substr(1));
    };
    EXPECT_EQ(xOf(offsetFlatButton(-4, 5), "TextLayer"), xOf(offsetFlatButton(0, 0), "TextLayer") - 4);
    EXPECT_EQ(xOf(offsetFlatButton(-4, 5), "ShapeLayer"), xOf(offsetFlatButton(0, 0), "ShapeLayer") + 5);
}
