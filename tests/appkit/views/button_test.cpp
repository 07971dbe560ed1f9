#include "platform/appkit/interface/coder.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class Receiver : public Object {
public:
    void clicked(Object* sender) { states.push_back(static_cast<Button*>(sender)->state()); }
    std::vector<ControlStateValue> states;
};

// Records whether its members were in place when the base initialiser called its setter.
class RecordingButton : public Button {
public:
    void setTitle(const std::string& title) override {
        Button::setTitle(title);
        titlesSeen.push_back(title + (ready == 7 ? "" : " (too early)"));
    }
    std::vector<std::string> titlesSeen;
    int ready = 7;
};

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<Receiver>("TestReceiver").action("clicked:", &Receiver::clicked);
});

} // namespace

// A toggle flips its state before the action, which is sent for a release inside only.
TEST(Button, SendsItsActionWhenReleasedInsideAndEnabledAndAToggleFlipsFirst) {
    auto window = Window::make({0, 0, 200, 100});
    auto button = View::make<Button>({50, 25, 100, 50});
    auto receiver = std::make_shared<Receiver>();
    window->contentView()->addSubview(button);
    window->makeKeyWindow();
    button->setTarget(receiver);
    button->setAction("clicked:");
    button->setButtonType(Button::ButtonType::toggle);
    for (auto [up, enabled] :
         {std::pair{quartz::Point{5, 5}, true}, {{140, 70}, true}, {{60, 30}, true}, {{60, 30}, false}}) {
        button->setEnabled(enabled);
        window->mouseDownAt({60, 30});
        window->mouseUpAt(up);
    }
    EXPECT_EQ(receiver->states,
              (std::vector<ControlStateValue>{NSControlStateValueOn, NSControlStateValueOff}));
    std::weak_ptr<Receiver> watched = receiver;
    receiver.reset();
    EXPECT_TRUE(watched.expired()); // the button does not keep its target alive
}

TEST(Button, ArchivedAttributesGoThroughTheSettersOfTheSubclassAndWrongKindsAreRefused) {
    auto decode = [](const char* text, Button& button) {
        auto attributes = foundation::JSONValue::parse(text);
        Coder coder(attributes, "/nonexistent");
        return button.initWithCoder(coder) && !coder.error();
    };
    auto button = std::make_shared<RecordingButton>();
    ASSERT_TRUE(decode(R"({"title": "Check in", "state": 1, "font": {"size": 15}})", *button));
    EXPECT_EQ(button->titlesSeen, std::vector<std::string>{"Check in"});
    EXPECT_EQ(button->state(), NSControlStateValueOn);
    EXPECT_EQ(button->font(), Font::systemFontOfSize(15));
    for (const char* text :
         {R"({"state": 2})", R"({"title": 5})", R"({"imagePosition": 9})", R"({"image": "missing.png"})",
          R"({"font": {"size": 0}})", R"({"frame": [0, 0, 1]})"})
        EXPECT_FALSE(decode(text, *std::make_shared<Button>())) << text;
}

// The runtime knows an unregistered subclass as its nearest registered class.
TEST(Button, AnUnregisteredSubclassTakesTheButtonsPropertiesByKey) {
    class LocalButton : public Button {};
    auto button = std::make_shared<LocalButton>();
    EXPECT_TRUE(setValueForKey(*button, "action", std::string("launch:")));
    EXPECT_EQ(button->action(), "launch:");
}
