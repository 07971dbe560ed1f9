#include "platform/appkit/application/application.h"
#include "platform/appkit/windows/window.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class TestDelegate : public Object, public ApplicationDelegate {
public:
    void applicationDidFinishLaunching(const foundation::Notification&) override { ++launches; }
    bool applicationShouldTerminateAfterLastWindowClosed(Application&) override { return terminates; }
    int launches = 0;
    bool terminates = false;
};

} // namespace

TEST(Application, TellsItsDelegateThatLaunchingFinished) {
    auto delegate = std::make_shared<TestDelegate>();
    Application::shared()->setDelegate(delegate);
    Application::shared()->finishLaunching();
    EXPECT_EQ(delegate->launches, 1);
    Application::shared()->setDelegate(nullptr);
}

TEST(Application, ClosingTheLastWindowEndsTheProcessWhenTheDelegateSaysSo) {
    EXPECT_EXIT(
        {
            auto delegate = std::make_shared<TestDelegate>();
            delegate->terminates = true;
            Application::shared()->setDelegate(delegate);
            auto window = Window::make({0, 0, 100, 100});
            Application::shared()->addWindow(window);
            window->makeKeyAndOrderFront();
            window->close();
        },
        testing::ExitedWithCode(0), "");
}

TEST(Application, ClosingTheLastWindowKeepsRunningWhenTheDelegateSaysNo) {
    auto delegate = std::make_shared<TestDelegate>();
    Application::shared()->setDelegate(delegate);
    auto window = Window::make({0, 0, 100, 100});
    Application::shared()->addWindow(window);
    window->makeKeyAndOrderFront();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(Application::shared()->windows().empty());
    Application::shared()->setDelegate(nullptr);
}
