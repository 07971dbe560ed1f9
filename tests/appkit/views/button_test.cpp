#include "platform/appkit/interface/coder.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/views/text_field.h"
#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class Receiver : public Object {
public:
    void clicked(Object* sender) {
        ++clicks;
        lastSender = sender;
    }
    int clicks = 0;
    Object* lastSender = nullptr;
};

// Records what its overridden setters saw while the base initialiser ran.
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

struct ButtonInWindow {
    std::shared_ptr<Window> window = Window::make({0, 0, 200, 100});
    std::shared_ptr<Button> button = View::make<Button>({50, 25, 100, 50});
    std::shared_ptr<Receiver> receiver = std::make_shared<Receiver>();
    ButtonInWindow() {
        window->contentView()->addSubview(button);
        window->makeKeyWindow();
        button->setTarget(receiver);
        button->setAction("clicked:");
    }
    void click(quartz::Point down, quartz::Point up) {
        window->mouseDownAt(down);
        window->mouseUpAt(up);
    }
};

foundation::JSONValue json(const char* text) {
    return foundation::JSONValue::parse(text);
}

} // namespace

TEST(Button, SendsItsActionOnceWhenReleasedInside) {
    ButtonInWindow scene;
    scene.click({60, 30}, {70, 40});
    EXPECT_EQ(scene.receiver->clicks, 1);
    EXPECT_EQ(scene.receiver->lastSender, scene.button.get());
    EXPECT_EQ(scene.button->state(), NSControlStateValueOff);
}

TEST(Button, SendsNothingWhenReleasedOutsideOrDisabled) {
    ButtonInWindow scene;
    scene.click({60, 30}, {5, 5});
    scene.button->setEnabled(false);
    scene.click({60, 30}, {60, 30});
    EXPECT_EQ(scene.receiver->clicks, 0);
}

TEST(Button, AToggleButtonFlipsItsStateBeforeTheAction) {
    ButtonInWindow scene;
    scene.button->setButtonType(Button::ButtonType::toggle);
    scene.click({60, 30}, {60, 30});
    EXPECT_EQ(scene.button->state(), NSControlStateValueOn);
    scene.click({60, 30}, {60, 30});
    EXPECT_EQ(scene.button->state(), NSControlStateValueOff);
    EXPECT_EQ(scene.receiver->clicks, 2);
}

TEST(Button, DoesNotKeepItsTargetAlive) {
    ButtonInWindow scene;
    std::weak_ptr<Receiver> watched = scene.receiver;
    scene.receiver.reset();
    EXPECT_TRUE(watched.expired());
    scene.click({60, 30}, {60, 30}); // no target: nothing happens
}

TEST(Button, ArchivedAttributesGoThroughTheSettersOfTheSubclass) {
    auto attributes = json(R"({"frame": [0, 0, 80, 24], "title": "Check in", "state": 1, "imagePosition": 2,
                              "font": {"size": 15}, "enabled": false})");
    Coder coder(attributes, "/nonexistent");
    auto button = std::make_shared<RecordingButton>();
    ASSERT_TRUE(button->initWithCoder(coder));
    EXPECT_EQ(button->titlesSeen, std::vector<std::string>{"Check in"});
    EXPECT_EQ(button->state(), NSControlStateValueOn);
    EXPECT_EQ(button->imagePosition(), ImagePosition::NSImageLeft);
    EXPECT_EQ(button->font(), Font::systemFontOfSize(15));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->frame(), quartz::Rect(0, 0, 80, 24));
}

TEST(Button, RefusesArchivedAttributesOfTheWrongKind) {
    for (const char* text :
         {R"({"state": 2})", R"({"title": 5})", R"({"imagePosition": 9})", R"({"image": "missing.png"})",
          R"({"font": {"size": 0}})", R"({"frame": [0, 0, 1]})"}) {
        auto attributes = json(text);
        Coder coder(attributes, "/nonexistent");
        EXPECT_FALSE(std::make_shared<Button>()->initWithCoder(coder)) << text;
        EXPECT_TRUE(coder.error().has_value()) << text;
    }
}

TEST(TextField, APlainStringDropsTheAttributesAndWrappingComesFromTheArchive) {
    auto attributes = json(R"({"frame": [0, 0, 200, 40], "string": "Hello", "wraps": true})");
    Coder coder(attributes, "/nonexistent");
    auto field = std::make_shared<TextField>();
    ASSERT_TRUE(field->initWithCoder(coder));
    EXPECT_TRUE(field->wraps());
    EXPECT_EQ(field->stringValue(), "Hello");
    AttributedString styled;
    styled.string = "Styled";
    styled.kern = -0.4;
    field->setAttributedStringValue(styled);
    EXPECT_EQ(field->attributedStringValue().kern, -0.4);
    field->setStringValue("Plain");
    EXPECT_FALSE(field->attributedStringValue().kern.has_value());
}
