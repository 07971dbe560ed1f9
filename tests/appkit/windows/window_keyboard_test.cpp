#include "platform/appkit/application/application.h"
#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

constexpr std::string_view escape = "\x1b";

class Delegate : public Object, public ApplicationDelegate {
public:
    bool applicationShouldTerminateAfterLastWindowClosed(Application&) override { return terminates; }
    bool terminates = false;
};

// A shown window of the application, whose delegate keeps the process running unless told.
class WindowKeyboard : public testing::Test {
protected:
    void SetUp() override {
        Application::shared()->setDelegate(delegate_);
        Application::shared()->addWindow(window);
        window->makeKeyAndOrderFront();
    }
    void TearDown() override {
        window->close();
        Application::shared()->setDelegate(nullptr);
    }
    // Only inside a death test: the process ends once the window closes.
    void endTheApplicationWithTheLastWindow() { delegate_->terminates = true; }

    std::shared_ptr<Window> window = Window::make({0, 0, 200, 100});

private:
    std::shared_ptr<Delegate> delegate_ = std::make_shared<Delegate>();
};

} // namespace

TEST_F(WindowKeyboard, EscapeClosesTheWindow) {
    EXPECT_TRUE(window->keyDown(escape, 0));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(Application::shared()->windows().empty());
}

TEST_F(WindowKeyboard, EscapeWithShiftStillClosesTheWindow) {
    EXPECT_TRUE(window->keyDown(escape, NSEventModifierFlagShift));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowKeyboard, CommandWClosesTheWindow) {
    EXPECT_TRUE(window->keyDown("w", NSEventModifierFlagCommand));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowKeyboard, OtherKeysAndOtherModifiersLeaveTheWindowOpen) {
    struct Press {
        std::string_view characters;
        std::uint64_t modifiers;
    };
    for (Press press : {Press{"w", 0}, Press{"q", 0}, Press{"w", NSEventModifierFlagOption},
                        Press{"w", NSEventModifierFlagCommand | NSEventModifierFlagShift},
                        Press{"w", NSEventModifierFlagCommand | NSEventModifierFlagOption},
                        Press{"x", NSEventModifierFlagCommand}, Press{escape, NSEventModifierFlagCommand},
                        Press{escape, NSEventModifierFlagControl}, Press{"", 0}}) {
        EXPECT_FALSE(window->keyDown(press.characters, press.modifiers))
            << "'" << press.characters << "' with modifiers " << press.modifiers;
        EXPECT_TRUE(window->isVisible());
    }
}

TEST_F(WindowKeyboard, AClosedWindowAnswersNoKey) {
    window->close();
    EXPECT_FALSE(window->keyDown(escape, 0));
    EXPECT_FALSE(window->keyDown("w", NSEventModifierFlagCommand));
}

TEST_F(WindowKeyboard, EscapeEndsTheApplicationWhenItsDelegateEndsItWithTheLastWindow) {
    EXPECT_EXIT(
        {
            endTheApplicationWithTheLastWindow();
            window->keyDown(escape, 0);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(WindowKeyboard, CommandWEndsTheApplicationWhenItsDelegateEndsItWithTheLastWindow) {
    EXPECT_EXIT(
        {
            endTheApplicationWithTheLastWindow();
            window->keyDown("w", NSEventModifierFlagCommand);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(WindowKeyboard, CommandQEndsTheApplicationEvenWhenWindowsWouldNotEndIt) {
    EXPECT_EXIT(window->keyDown("q", NSEventModifierFlagCommand), testing::ExitedWithCode(0), "");
}
