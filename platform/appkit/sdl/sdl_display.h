#pragma once

#include "platform/foundation/run_loop.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;

namespace foundation {
class Timer;
}

namespace appkit {

class SdlWindowBackend;

// SDL's video subsystem, and its event queue shared by the windows on screen. While a window is
// open the display watches the window system's connection on the main run loop, which keeps the
// loop running, and, before the loop waits, hands out the queued events and lets each window draw.
class SdlDisplay : public std::enable_shared_from_this<SdlDisplay> {
public:
    // None, with SDL's reason in error, when no display can be opened.
    static std::shared_ptr<SdlDisplay> open(std::string* error);
    ~SdlDisplay();
    SdlDisplay(const SdlDisplay&) = delete;
    SdlDisplay& operator=(const SdlDisplay&) = delete;

    // Windows tell the display when they come and go.
    void addWindow(std::uint32_t windowId, SDL_Window* sdlWindow, std::weak_ptr<SdlWindowBackend> window);
    void removeWindow(std::uint32_t windowId);

    // Frames per second of the display a window is on; 60 when the display does not say.
    static double refreshRate(SDL_Window* sdlWindow);

private:
    SdlDisplay() = default;

    void startWatching(SDL_Window* sdlWindow);
    void stopWatching();
    void connectionIsReadable();
    void beforeWaiting();
    // Whether an event reached the program's code.
    bool dispatchPendingEvents();
    bool dispatch(const SDL_Event& event);
    static std::optional<std::uint32_t> windowIdOf(const SDL_Event& event);
    void closeEveryWindow();
    std::vector<std::shared_ptr<SdlWindowBackend>> shownWindows() const;
    std::shared_ptr<SdlWindowBackend> windowWithId(std::uint32_t windowId) const;

    std::map<std::uint32_t, std::weak_ptr<SdlWindowBackend>> windows_;
    std::optional<foundation::RunLoop::WatchId> watch_;
    std::optional<foundation::RunLoop::ObserverId> observer_;
    // Polls the queue where the connection's descriptor cannot be had.
    std::shared_ptr<foundation::Timer> pollTimer_;
};

} // namespace appkit
