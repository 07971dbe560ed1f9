#include "platform/appkit/sdl/sdl_connection.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

namespace appkit {

namespace {

// SDL loads the Wayland client library itself; asking the loaded copy keeps it out of the link.
std::optional<int> waylandDescriptor(wl_display* display) {
    void* library = ::dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (library == nullptr)
        return std::nullopt;
    using GetFd = int (*)(wl_display*);
    auto getFd = reinterpret_cast<GetFd>(::dlsym(library, "wl_display_get_fd"));
    std::optional<int> descriptor;
    if (getFd != nullptr)
        descriptor = getFd(display);
    ::dlclose(library);
    return descriptor;
}

} // namespace

std::optional<int> sdlConnectionDescriptor(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info))
        return std::nullopt;
    switch (info.subsystem) {
    case SDL_SYSWM_X11:
        // The macro reads the descriptor from the display structure: no need to link Xlib.
        return ConnectionNumber(info.info.x11.display);
    case SDL_SYSWM_WAYLAND:
        return waylandDescriptor(info.info.wl.display);
    default:
        return std::nullopt;
    }
}

} // namespace appkit
