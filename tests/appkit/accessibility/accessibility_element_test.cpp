#include "platform/appkit/accessibility/accessibility_element.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/views/text_field.h"

#include <gtest/gtest.h>
#include <vector>

using namespace appkit;

namespace {

class PressCounter : public Object {
public:
    void pressed(Object*) { ++presses; }
    int presses = 0;
};

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<PressCounter>("TestPressCounter").action("pressed:", &PressCounter::pressed);
});

} // namespace

TEST(AccessibilityElement, AButtonsPressActsAsAClickAndADisabledButtonIgnoresIt) {
    auto button = View::make<Button>({50, 25, 100, 50});
    auto counter = std::make_shared<PressCounter>();
    button->setTarget(counter);
    button->setAction("pressed:");
    EXPECT_TRUE(button->accessibilityPerformPress());
    button->setEnabled(false);
    button->accessibilityPerformPress();
    EXPECT_EQ(counter->presses, 1);
}

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
