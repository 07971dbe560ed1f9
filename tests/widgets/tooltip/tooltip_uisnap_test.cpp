// The shared help popover and the tooltip buttons seen from outside, through uisnap.
#include "tests/widgets/uisnap_command.h"

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

TEST_F(TooltipThroughUisnap,
       ThePopoverShowsTheButtonsTextAboveItExitsCloseOnlyItsOwnAndTheHoverAreaFollowsTheFrame) {
    struct Case {
        std::string script, marker;
        int count;
    } cases[] = {
        {"move 70 35; snap before.png; popover first; snap shown.png", "string=\"First help\"", 1},
        {"move 70 35; popover first; move 70 150", "Popover for", 0},
        // Another button's exit leaves the popover but clears its record: its own exit then closes nothing.
        {"popover second; move 70 35; move 70 150; move 230 35; move 230 150", "Popover for", 1},
        {"popover second; move 230 35; move 230 150", "Popover for", 0},
        // Moved from (20, 20) to (70, 20): x = 150 lies only in the new frame, x = 50 only in the old.
        {"frame first 70 20 100 30; move 150 35; wait 2.5", "showTooltipTimerFired", 1},
        {"frame first 70 20 100 30; move 50 35; wait 2.5", "showTooltipTimerFired", 0},
    };
    for (const auto& [script, marker, expected] : cases) {
        auto result = runScript(twoButtons, script, "--describe-layers");
        EXPECT_EQ(count(result.output + result.errors, marker), expected) << script << result.output;
    }
    // Above the flipped button: the panel is lighter than the window there.
    EXPECT_GT(pixelAt(*picture("shown.png"), 70, 80).red(),
              pixelAt(*picture("before.png"), 70, 80).red() + 0.02);
}
