#pragma once

#include <optional>

namespace appkit {

enum class WindowSystem { screen, offscreen };

// Decides where windows ordered front from now on appear: on the screen when SDL can open a
// display, off screen when VANTREL_OFFSCREEN (set and not empty) asks for it without trying a
// display. None, said on standard error, when neither: no window can be shown.
std::optional<WindowSystem> chooseWindowSystem();

} // namespace appkit
