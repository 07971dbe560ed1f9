#pragma once

#include <optional>

struct SDL_Window;

namespace appkit {

// The file descriptor of the window system connection SDL draws a window through (X11 or
// Wayland), readable when events arrive; none for another window system.
std::optional<int> sdlConnectionDescriptor(SDL_Window* window);

} // namespace appkit
