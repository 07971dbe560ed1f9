#include "platform/foundation/console_log.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace foundation {

namespace {

std::string timestamp() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[40];
    std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, ".%03lld", static_cast<long long>(milliseconds));
    return text;
}

} // namespace

std::string consoleLogLine(std::string_view text) {
    std::string pid = std::to_string(::getpid());
    std::string line = timestamp() + " " + program_invocation_short_name + "[" + pid + ":" + pid + "] ";
    line.append(text).push_back('\n');
    return line;
}

void consoleLog(std::string_view text) {
    // One write, so lines of several threads or processes never mix.
    std::string line = consoleLogLine(text);
    std::string_view rest = line;
    while (!rest.empty()) {
        ssize_t written = ::write(STDERR_FILENO, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace foundation
