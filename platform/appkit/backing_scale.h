#pragma once

#include <optional>
#include <string>

namespace appkit {

// The backing scale VANTREL_BACKING_SCALE forces, for seeing scale 2 on a display that reports 1
// (X11 and Xvfb always do): a number from 1 to 4. None when unset; none too, with the reason in
// problem, when it is not such a number.
std::optional<double> forcedBackingScale(std::string* problem = nullptr);

} // namespace appkit
