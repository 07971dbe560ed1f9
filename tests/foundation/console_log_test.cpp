#include "platform/foundation/console_log.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// "YYYY-MM-DD HH:MM:SS.mmm": digits where digits belong, separators where they belong.
bool isTimestamp(std::string_view text) {
    constexpr std::string_view shape = "0000-00-00 00:00:00.000";
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (shape[i] == '0' ? !digit : text[i] != shape[i])
            return false;
    }
    return true;
}

} // namespace

TEST(ConsoleLog, StampsTheLineWithTimeProcessAndId) {
    std::string line = foundation::consoleLogLine("showTooltipTimerFired");
    std::string pid = std::to_string(::getpid());
    ASSERT_GT(line.size(), 24u);
    EXPECT_TRUE(isTimestamp(std::string_view(line).substr(0, 23))) << line;
    std::string rest = line.substr(24);
    std::string process = std::string(program_invocation_short_name);
    EXPECT_EQ(rest, process + "[" + pid + ":" + pid + "] showTooltipTimerFired\n");
}
