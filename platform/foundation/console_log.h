#pragma once

#include <string>
#include <string_view>

namespace foundation {

// The frameworks' console log: one line on standard error, stamped with the local time, the
// process name and its id, e.g. "2026-12-06 19:50:00.123 Vantrel_checkIn[4711:4711] text".
void consoleLog(std::string_view text);

// The line consoleLog writes, for the given text, as of now.
std::string consoleLogLine(std::string_view text);

} // namespace foundation
