#include "tests/widgets/pixel_colors.h"
#include "tests/widgets/uisnap_command.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// A flat default button, red while pressed, beside a plain button that Escape presses.
constexpr const char* defaultAndCancel = R"({"objects": [
  {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 200, 80], "title": "Keys"},
   "properties": {"contentView": {"ref": "content"}}},
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 200, 80]}, "subviews": ["flat", "cancel"]},
  {"id": "flat", "class": "FlatButton", "attributes": {"frame": [100, 20, 80, 40], "keyEquivalent": "\r"},
   "properties": {"buttonColor": [0, 0, 1], "activeButtonColor": [1, 0, 0], "offAnimationDuration": 0}},
  {"id": "cancel", "class": "Button", "attributes": {"frame": [10, 20, 80, 40], "title": "Cancel",
   "keyEquivalent": "\u001b"}},
  {"id": "recorder", "class": "ActionRecorder"}
], "actions": [{"object": "flat", "action": "go:", "target": "recorder"},
               {"object": "cancel", "action": "cancel:", "target": "recorder"}]})";

// Buttons written out of reading order, a disabled one and a label among them.
constexpr const char* fourButtons = R"({"objects": [
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 300, 110]},
   "subviews": ["c", "b", "label", "off", "a"]},
  {"id": "c", "class": "Button", "attributes": {"frame": [10, 10, 80, 30], "title": "C"}},
  {"id": "b", "class": "Button", "attributes": {"frame": [200, 70, 80, 30], "title": "B"}},
  {"id": "label", "class": "TextField", "attributes": {"frame": [10, 45, 200, 20], "string": "Text"}},
  {"id": "off", "class": "Button", "attributes": {"frame": [110, 70, 80, 30], "title": "Off", "enabled": false}},
  {"id": "a", "class": "Button", "attributes": {"frame": [10, 70, 80, 30], "title": "A"}},
  {"id": "recorder", "class": "ActionRecorder"}
], "actions": [{"object": "a", "action": "press:", "target": "recorder"},
               {"object": "b", "action": "press:", "target": "recorder"},
               {"object": "c", "action": "press:", "target": "recorder"}]})";

constexpr const char* roundButton = R"({"objects": [
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 120, 80]}, "subviews": ["round"]},
  {"id": "round", "class": "FlatButton", "attributes": {"frame": [20, 20, 80, 40]},
   "properties": {"cornerRadius": 10, "buttonColor": "white"}}
]})";

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
    writeFile(home() / "keys.json", defaultAndCancel);
    auto result =
        run(path("keys.json") + " " + path("out.png") + " --describe-layers --events 'keydown return; " +
            "wait 0.5; snap " + path("held.png") + "; keyup return; snap " + path("released.png") +
            "; key return ctrl; key escape; " + "enable flat false; key return'");
    ASSERT_EQ(result.status, 0) << result.errors;
    // One press, sent at the key's release, not at its press.
    EXPECT_EQ(sendersIn(result.output), "flat cancel ");
    EXPECT_NE(result.output.find("action go: sender=flat state=0 title=\"\" t=0.5\n"), std::string::npos)
        << result.output;
    EXPECT_PRED2(looksLike, pixelAt(*picture("held.png"), 140, 40), quartz::Color(1, 0, 0));
    EXPECT_PRED2(looksLike, pixelAt(*picture("released.png"), 140, 40), quartz::Color(0, 0, 1));
    // The button's Escape is not the window's: the window stays.
    EXPECT_EQ(description::lineWith(result.output, "Window "),
              "Window \"Keys\" frame=(0, 0, 200, 80) scale=1 key");
}

TEST_F(UisnapCommand, TabWalksTheEnabledButtonsInReadingOrderAndSpacePressesTheFocusedOne) {
    writeFile(home() / "four.json", fourButtons);
    auto result = run(path("four.json") + " " + path("out.png") +
                      " --events 'key space; key tab; key space; key tab; key space; key tab; key space; "
                      "key tab; key space; key tab shift; key tab shift; key space; key tab; enable c false; "
                      "key space'");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(sendersIn(result.output), "a b c a b ");
}

TEST_F(UisnapCommand, TheFocusRingFollowsTheButtonsCornersWhileItsWindowIsKey) {
    writeFile(home() / "round.json", roundButton);
    ASSERT_EQ(run(path("round.json") + " " + path("none.png") + " --scale 2").status, 0);
    ASSERT_EQ(run(path("round.json") + " " + path("ring.png") + " --scale 2 --events 'key tab'").status, 0);
    ASSERT_EQ(
        run(path("round.json") + " " + path("away.png") + " --scale 2 --events 'key tab; deactivate'").status,
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
    writeFile(home() / "four.json", fourButtons);
    for (auto [keys, closes] : {std::pair{"key escape", true},
                                {"key escape shift", true},
                                {"key w ctrl", true},
                                {"key w", false},
                                {"key q", false},
                                {"key w alt", false},
                                {"key w ctrl shift", false},
                                {"key w ctrl alt", false},
                                {"key x ctrl", false},
                                {"key escape ctrl", false},
                                {"deactivate; activate; key tab shift", false}}) {
        auto result =
            run(path("four.json") + " " + path("out.png") + " --describe-layers --events '" + keys + "'");
        ASSERT_EQ(result.status, 0) << result.errors;
        EXPECT_EQ(description::lineWith(result.output, "Window ").ends_with(" closed"), closes) << keys;
    }
}
