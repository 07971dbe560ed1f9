#pragma once

#include <string>

namespace appkit {

// Serves the application, its windows and their views to screen readers on the desktop's
// accessibility bus (AT-SPI), from the main run loop. Not started when NO_AT_BRIDGE is 1, as for
// other toolkits, or when there is no session bus to find that bus through. Whether it started.
bool startAccessibilityBridge(const std::string& programName);

} // namespace appkit
