#include "platform/appkit/accessibility/accessibility_element.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/views/text_field.h"
#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>
#include <string>
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

// Records what the bridge would be told, for as long as it lives.
struct NotificationLog {
    NotificationLog() {
        setAccessibilityObserver([this](const AccessibilityElement& element, AccessibilityNotification what) {
            seen.push_back({&element, what});
        });
    }
    ~NotificationLog() { setAccessibilityObserver({}); }
    std::vector<std::pair<const AccessibilityElement*, AccessibilityNotification>> seen;
};

} // namespace

TEST(AccessibilityElement, AButtonsPressActsAsAClickAndADisabledButtonIgnoresIt) {
    auto window = Window::make({0, 0, 200, 100});
    auto button = View::make<Button>({50, 25, 100, 50});
    auto counter = std::make_shared<PressCounter>();
    window->contentView()->addSubview(button);
    button->setTarget(counter);
    button->setAction("pressed:");
    EXPECT_TRUE(button->accessibilityPerformPress());
    EXPECT_EQ(counter->presses, 1);
    button->setEnabled(false);
    button->accessibilityPerformPress();
    EXPECT_EQ(counter->presses, 1);
}

TEST(AccessibilityElement, ButtonsAndLabelsSayWhatTheyAreAndTellOfTheirChanges) {
    auto button = View::make<Button>({0, 0, 100, 30});
    auto label = View::make<TextField>({0, 0, 100, 30});
    NotificationLog log;
    button->setTitle("Open");
    button->setTitle("Open"); // unchanged: nothing to tell
    button->setEnabled(false);
    label->setStringValue("Heading");
    EXPECT_EQ(button->accessibilityRole(), AccessibilityRole::button);
    EXPECT_EQ(button->accessibilityLabel(), "Open");
    EXPECT_FALSE(button->isAccessibilityEnabled());
    EXPECT_EQ(label->accessibilityRole(), AccessibilityRole::staticText);
    EXPECT_EQ(label->accessibilityLabel(), "Heading");
    using Seen = std::pair<const AccessibilityElement*, AccessibilityNotification>;
    EXPECT_EQ(log.seen, (std::vector<Seen>{{button.get(), AccessibilityNotification::titleChanged},
                                           {button.get(), AccessibilityNotification::enabledChanged},
                                           {label.get(), AccessibilityNotification::valueChanged}}));
}
