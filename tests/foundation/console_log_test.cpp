#include "platform/foundation/console_log.h"

#include <gtest/gtest.h>
#include <regex>
#include <unistd.h>

TEST(ConsoleLog, StampsTheLineWithTimeProcessAndId) {
    std::string line = foundation::consoleLogLine("showTooltipTimerFired");
    std::string pid = std::to_string(::getpid());
    std::regex shape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^ \[]+\[)" + pid + ":" + pid +
                     R"(\] showTooltipTimerFired\n)");
    EXPECT_TRUE(std::regex_match(line, shape)) << line;
}

TEST(ConsoleLog, WritesOneLineOnStandardError) {
    testing::internal::CaptureStderr();
    foundation::consoleLog("hello");
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(written.ends_with("] hello\n")) << written;
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1);
}
