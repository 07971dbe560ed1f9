#include "platform/appkit/accessibility/accessibility_element.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/views/text_field.h"

#include <gtest/gtest.h>
#include <vector>

using namespace appkit;

// The bridge is told of changes; a press acts as a click, which the screen reader test shows.
TEST(AccessibilityElement, ButtonsAndLabelsSayWhatTheyAreAndTellOfTheirChanges) {
    auto button = View::make<Button>({0, 0, 100, 30});
    auto label = View::make<TextField>({0, 0, 100, 30});
    using Seen = std::pair<const AccessibilityElement*, AccessibilityNotification>;
    std::vector<Seen> seen;
    setAccessibilityObserver([&seen](const AccessibilityElement& element, AccessibilityNotification what) {
        seen.push_back({&element, what});
    });
    button->setTitle("Open");
    button->setTitle("Open"); // unchanged: nothing to tell
    button->setEnabled(false);
    label->setStringValue("Heading");
    setAccessibilityObserver({});
    EXPECT_EQ(button->accessibilityRole(), AccessibilityRole::button);
    EXPECT_EQ(button->accessibilityLabel(), "Open");
    EXPECT_EQ(label->accessibilityRole(), AccessibilityRole::staticText);
    EXPECT_EQ(label->accessibilityLabel(), "Heading");
    EXPECT_EQ(seen, (std::vector<Seen>{{button.get(), AccessibilityNotification::titleChanged},
                                       {button.get(), AccessibilityNotification::enabledChanged},
                                       {label.get(), AccessibilityNotification::valueChanged}}));
}
