// The shared help popover and the tooltip buttons seen from outside, through uisnap.
#include "tests/widgets/uisnap_command.h"

#include <gtest/gtest.h>

using namespace description;

namespace {

// Two tooltip buttons side by side, the first one's centre at (70, 35), the second's at (230, 35).
constexpr const char* twoButtons = R"({"objects": [
  {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 300, 200], "title": "Help"},
   "properties": {"contentView": {"ref": "content"}}},
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 300, 200]}, "subviews": ["first", "second"]},
  {"id": "first", "class": "QvCustomTooltipButton", "attributes": {"frame": [20, 20, 100, 30], "title": "One"},
   "properties": {"customTooltip": "First help"}},
  {"id": "second", "class": "QvCustomTooltipButton", "attributes": {"frame": [180, 20, 100, 30], "title": "Two"},
   "properties": {"customTooltip": "Second help"}}]})";

} // namespace

using TooltipThroughUisnap = UisnapCommand;

TEST_F(TooltipThroughUisnap, ThePopoverShowsTheButtonsTextAboveItAndClosesWhenThatButtonIsLeft) {
    std::string shown = described(twoButtons, "move 70 35; snap before.png; popover first; snap shown.png");
    std::string popover = section(shown, "Popover for QvCustomTooltipButton first");
    EXPECT_NE(lineWith(popover, "TextField").find("string=\"First help\""), std::string::npos) << shown;
    // Above the flipped button: the panel is lighter than the window there.
    EXPECT_GT(pixelAt(*picture("shown.png"), 70, 80).red(),
              pixelAt(*picture("before.png"), 70, 80).red() + 0.02);
    EXPECT_EQ(count(described(twoButtons, "move 70 35; popover first; move 70 150"), "Popover for"), 0);
}

TEST_F(TooltipThroughUisnap, LeavingAnotherButtonKeepsThePopoverAndForgetsWhomItWasFor) {
    // The first button's exit leaves the popover for the second alone but clears the record, so
    // the second button's own exit then closes nothing.
    std::string script = "popover second; move 70 35; move 70 150; move 230 35; move 230 150";
    EXPECT_EQ(count(described(twoButtons, script), "Popover for QvCustomTooltipButton second"), 1);
    EXPECT_EQ(count(described(twoButtons, "popover second; move 230 35; move 230 150"), "Popover for"), 0);
}

TEST_F(TooltipThroughUisnap, TheHoverAreaFollowsTheButtonsNewFrame) {
    // Moved from (20, 20) to (70, 20): x = 50 only in the old frame, x = 150 only in the new one.
    for (auto [x, logged] : {std::pair{"150", 1}, {"50", 0}}) {
        auto result =
            runScript(twoButtons, "frame first 70 20 100 30; move " + std::string(x) + " 35; wait 2.5");
        EXPECT_EQ(count(result.errors, "showTooltipTimerFired"), logged) << x << result.errors;
    }
}
