#pragma once

namespace appkit {

enum class WindowSystem { screen, offscreen };

// Decides where windows ordered front from now on appear: on the screen when SDL can open a
// display, else off screen, which is said on standard error. VANTREL_OFFSCREEN (set and not empty)
// asks for off screen without trying a display.
WindowSystem chooseWindowSystem();

} // namespace appkit
