#include "platform/appkit/application/window_system.h"
#include "tests/appkit/scoped_environment.h"

#include <gtest/gtest.h>

using namespace appkit;

// With the SDL back end linked the screen is tried first, and a display that cannot be opened
// leaves no window system: never a silent fall-back to off screen.
TEST(SdlWindowSystem, WithoutADisplaySaysSoAndChoosesNone) {
    ScopedEnvironment offscreen("VANTREL_OFFSCREEN", std::nullopt);
    ScopedEnvironment display("DISPLAY", ":65000"); // no such server
    ScopedEnvironment driver("SDL_VIDEODRIVER", "x11");
    testing::internal::CaptureStderr();
    EXPECT_EQ(chooseWindowSystem(), std::nullopt);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("no display"), std::string::npos) << said;
    EXPECT_EQ(said.find("no screen back end"), std::string::npos) << said; // SDL's reason, not ours
}
