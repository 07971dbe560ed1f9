#include "platform/foundation/console_log.h"

#include <gtest/gtest.h>
#include <regex>
#include <unistd.h>

TEST(ConsoleLog, StampsTheLineWithTimeProcessAndId) {
    std::string pid = std::to_string(::getpid());
    std::regex shape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )" +
                     std::string(program_invocation_short_name) + "\\[" + pid + ":" + pid +
                     "\\] showTooltipTimerFired\n");
    EXPECT_TRUE(std::regex_match(foundation::consoleLogLine("showTooltipTimerFired"), shape));
}
