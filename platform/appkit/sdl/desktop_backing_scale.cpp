#include "platform/appkit/sdl/desktop_backing_scale.h"

#include "platform/appkit/windows/backing_scale.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <cstdlib>

namespace appkit {

std::optional<double> desktopBackingScale(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return std::nullopt;
    const char* resources = XResourceManagerString(info.info.x11.display);
    return x11DesktopScale(std::getenv("GDK_SCALE"), resources != nullptr ? resources : "");
}

} // namespace appkit
