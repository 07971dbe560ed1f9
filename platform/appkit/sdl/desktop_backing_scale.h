#pragma once

#include <optional>

struct SDL_Window;

namespace appkit {

// The scale the desktop asks of a window SDL made: on X11 its own setting (GDK_SCALE, else Xft.dpi
// of the X resources). None elsewhere: a Wayland compositor gives the window more pixels than
// points itself.
std::optional<double> desktopBackingScale(SDL_Window* window);

} // namespace appkit
