#include "platform/appkit/application/application.h"
#include "platform/appkit/application/bundle.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_backend.h"
#include "platform/quartz/image.h"
#include "tests/appkit/scoped_environment.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class LaunchDelegate : public Object, public ApplicationDelegate {
public:
    void applicationDidFinishLaunching(const foundation::Notification&) override {
        Application::shared()->activateIgnoringOtherApps(true);
        ++launches;
    }
    int launches = 0;
};

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<LaunchDelegate>("TestLaunchDelegate");
});

constexpr const char* mainInterface = R"({
  "objects": [
    {"id": "delegate", "class": "TestLaunchDelegate"},
    {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 300, 120], "title": "Check in"},
     "properties": {"contentView": {"ref": "content"}}},
    {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 300, 120]}}
  ],
  "outlets": [{"object": "owner", "key": "delegate", "destination": "delegate"}]
})";

// Windows are drawn off screen, so that a display the tests run beside is left alone.
class ApplicationMain : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        previous_ = Bundle::mainBundle().resourcePath();
        Bundle::mainBundle().setResourcePath(makeFolder("Resources"));
    }
    void TearDown() override {
        Bundle::mainBundle().setResourcePath(previous_);
        for (const auto& window : Application::shared()->windows())
            window->close();
        Application::shared()->setDelegate(nullptr);
        WindowBackend::setFactory(nullptr);
        TemporaryHome::TearDown();
    }
    int runMain(bool withMainFile = true) {
        if (withMainFile)
            writeFile(Bundle::mainBundle().resourcePath() / "Main.json", mainInterface);
        char name[] = "test";
        char* argv[] = {name, nullptr};
        return applicationMain(1, argv);
    }

    ScopedEnvironment offscreen_{"VANTREL_OFFSCREEN", "1"};

private:
    std::filesystem::path previous_;
};

} // namespace

// Off screen nothing is waited for, so the loop returns; the first window is written at the
// forced scale.
// Off screen nothing is waited for, so the loop returns; the first window is written at the
// forced scale. Without the file it says why and fails; the launcher tests show the rest.
TEST_F(ApplicationMain, LoadsTheMainFileAndShowsItsWindowAtTheForcedScale) {
    auto path = home() / "launch.png";
    ScopedEnvironment snapshot("VANTREL_SNAPSHOT", path.string());
    ScopedEnvironment scale("VANTREL_BACKING_SCALE", "2");
    testing::internal::CaptureStderr();
    EXPECT_NE(runMain(false), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Main.json"), std::string::npos);
    EXPECT_EQ(runMain(), 0);
    auto delegate = std::dynamic_pointer_cast<LaunchDelegate>(Application::shared()->delegate());
    ASSERT_NE(delegate, nullptr);
    EXPECT_EQ(delegate->launches, 1);
    EXPECT_TRUE(Application::shared()->isActive());
    EXPECT_EQ(quartz::Image::imageWithContentsOfFile(path.string())->size(), (quartz::Size{600, 240}));
}
