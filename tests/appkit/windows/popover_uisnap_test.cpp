// The shared help popover as the user sees it, through uisnap: a surface of its own beside its
// button, sized to its text, reaching past the window, taking the clicks inside it.
#include "tests/widgets/uisnap_command.h"

#include <gtest/gtest.h>

using namespace description;

namespace {

// A 300 x 120 window: a tooltip button along the top edge, one lower down with a full-width
// button just above it, whose presses reach a recorder.
constexpr const char* buttons = R"({"objects": [
  {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 300, 120], "title": "Help"},
   "properties": {"contentView": {"ref": "content"}}},
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 300, 120]},
   "subviews": ["top", "above", "middle"]},
  {"id": "top", "class": "QvCustomTooltipButton", "attributes": {"frame": [100, 80, 100, 40], "title": "Top"},
   "properties": {"customTooltip": "Starts the Vantrel manager application, which checks this application in. It closes this window once it runs, and opens it again when the check-in is due."}},
  {"id": "above", "class": "Button", "attributes": {"frame": [0, 55, 300, 20], "title": "Above"}},
  {"id": "middle", "class": "QvCustomTooltipButton", "attributes": {"frame": [100, 20, 100, 30], "title": "Middle"},
   "properties": {"customTooltip": "Short help"}},
  {"id": "recorder", "class": "ActionRecorder"}],
 "actions": [{"object": "above", "action": "launch:", "target": "recorder"}]})";

class HelpPopoverThroughUisnap : public UisnapCommand {
protected:
    std::string played(const std::string& script) { return described(buttons, script); }
};

// Whether the pictures show the same window: the bottom rows of the taller one.
bool sameWindow(const quartz::Bitmap& window, const quartz::Bitmap& grown) {
    int rise = grown.height() - window.height();
    for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) {
            if (window.argbAt(x, y) != grown.argbAt(x, y + rise))
                return false;
        }
    }
    return true;
}

} // namespace

TEST_F(HelpPopoverThroughUisnap,
       AboveAButtonAtTheWindowsTopItReachesPastTheWindowWithAllItsTextAndCoversNothing) {
    played("snap before.png; popover top; snap shown.png");
    auto before = picture("before.png");
    auto shown = picture("shown.png");
    ASSERT_TRUE(before && shown);
    // The picture grows upwards by the gap and the bubble; wrapped at 300 points, no wider.
    EXPECT_EQ(shown->width(), 300);
    int bubbleHeight = shown->height() - 120 - 8;
    EXPECT_GT(bubbleHeight, 3 * 12) << "three wrapped lines of 12-point text and the margins";
    EXPECT_TRUE(sameWindow(*before, *shown)) << "the bubble or its text lies over the window";
    EXPECT_GT(pixelAt(*shown, 150, 120 + 8 + 2).red(), 0.95) << "no light bubble above the window";
}

TEST_F(HelpPopoverThroughUisnap, AClickInsideThePopoverStaysThereAndOneOutsideClosesIt) {
    // The bubble stands above the lower button, over the full-width one.
    std::string inside = played("popover middle; move 150 65; down; up");
    EXPECT_EQ(count(inside, "action launch:"), 0) << inside;
    EXPECT_EQ(count(inside, "Popover for QvCustomTooltipButton middle"), 1) << inside;
    EXPECT_EQ(count(played("popover middle; move 10 10; down; up"), "Popover for"), 0);
}
