#include "platform/appkit/sdl/sdl_display.h"

#include "platform/appkit/sdl/sdl_connection.h"
#include "platform/appkit/sdl/sdl_window_backend.h"
#include "platform/foundation/timer.h"

#include <SDL.h>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace appkit {

namespace {

constexpr double defaultRefreshRate = 60;
// Without the connection's descriptor the queue is looked at this often.
constexpr double pollInterval = 0.01;

// SDL's defaults suit games; a desktop program keeps the screen saver, the compositor, and its
// own say over when it ends.
void setDesktopHints() {
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // SDL drops a click that comes within moments of the window taking the focus; whether a click
    // that activates a window reaches its views is the window's to decide (acceptsFirstMouse).
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // SDL tries X11 first, which in a Wayland session means XWayland: blurry at a scale, and
    // missing where XWayland is not run. X11 stays the fallback; SDL_VIDEODRIVER still decides.
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland != nullptr && wayland[0] != '\0')
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
}

// SDL falls back to drivers that show nothing when no window system answers.
bool showsWindows(std::string_view driver) {
    return driver != "offscreen" && driver != "dummy";
}

} // namespace

std::shared_ptr<SdlDisplay> SdlDisplay::open(std::string* error) {
    setDesktopHints();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error != nullptr)
            *error = SDL_GetError();
        return nullptr;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::string_view(driver) == "x11") {
        // There the window surface is a shared-memory image the server copies from. SDL would put
        // it through OpenGL instead, which for a window of this kind costs more than it saves,
        // most of all without a GPU.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    if (driver == nullptr || !showsWindows(driver)) {
        if (error != nullptr)
            *error = std::string("SDL found no window system, only its \"") + (driver ? driver : "") +
                     "\" video driver";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
        return nullptr;
    }
    return std::shared_ptr<SdlDisplay>(new SdlDisplay());
}

SdlDisplay::~SdlDisplay() {
    stopWatching();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

double SdlDisplay::refreshRate(SDL_Window* sdlWindow) {
    SDL_DisplayMode mode{};
    int display = SDL_GetWindowDisplayIndex(sdlWindow);
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0 || mode.refresh_rate <= 0)
        return defaultRefreshRate;
    return mode.refresh_rate;
}

void SdlDisplay::addWindow(std::uint32_t windowId, SDL_Window* sdlWindow,
                           std::weak_ptr<SdlWindowBackend> window) {
    windows_[windowId] = std::move(window);
    if (!watch_ && !pollTimer_)
        startWatching(sdlWindow);
}

void SdlDisplay::removeWindow(std::uint32_t windowId) {
    windows_.erase(windowId);
    if (windows_.empty())
        stopWatching();
}

void SdlDisplay::startWatching(SDL_Window* sdlWindow) {
    auto& loop = foundation::RunLoop::main();
    std::weak_ptr<SdlDisplay> weak = weak_from_this();
    observer_ = loop.addBeforeWaitingObserver([weak] {
        if (auto display = weak.lock())
            display->beforeWaiting();
    });
    if (auto descriptor = sdlConnectionDescriptor(sdlWindow)) {
        watch_ = loop.addReadabilityWatch(*descriptor, [weak] {
            if (auto display = weak.lock())
                display->connectionIsReadable();
        });
        return;
    }
    // Events must keep coming while the mouse is tracked.
    pollTimer_ = foundation::Timer::scheduledTimer(
        pollInterval, true,
        [weak](foundation::Timer&) {
            if (auto display = weak.lock())
                display->connectionIsReadable();
        },
        foundation::Timer::Modes::common);
}

void SdlDisplay::stopWatching() {
    if (!watch_ && !observer_ && !pollTimer_)
        return;
    auto& loop = foundation::RunLoop::main();
    if (watch_)
        loop.removeWatch(*watch_);
    if (observer_)
        loop.removeBeforeWaitingObserver(*observer_);
    if (pollTimer_)
        pollTimer_->invalidate();
    watch_.reset();
    observer_.reset();
    pollTimer_.reset();
}

void SdlDisplay::connectionIsReadable() {
    dispatchPendingEvents();
}

void SdlDisplay::beforeWaiting() {
    auto self = shared_from_this(); // the last window may close while events are handed out
    dispatchPendingEvents();
    auto shown = shownWindows();
    for (const auto& window : shown)
        window->drawFrameIfDue();
    // Xlib may have read events into its queue while presenting, where no readable descriptor
    // tells of them.
    dispatchPendingEvents();
    for (const auto& window : shown)
        window->scheduleNextFrame();
}

bool SdlDisplay::dispatchPendingEvents() {
    bool reachedProgram = false;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
        reachedProgram = dispatch(event) || reachedProgram;
    return reachedProgram;
}

bool SdlDisplay::dispatch(const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
        closeEveryWindow();
        return true;
    }
    auto windowId = windowIdOf(event);
    auto window = windowId ? windowWithId(*windowId) : nullptr;
    return window && window->handleEvent(event);
}

// The window an event is for; none for the kinds no window handles.
std::optional<std::uint32_t> SdlDisplay::windowIdOf(const SDL_Event& event) {
    switch (event.type) {
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_KEYDOWN: // sent to the window with the keyboard focus
    case SDL_KEYUP:
        return event.key.windowID;
    default:
        return std::nullopt;
    }
}

// SDL turns SIGINT and SIGTERM into a request to quit.
void SdlDisplay::closeEveryWindow() {
    for (const auto& window : shownWindows())
        window->closeWindow();
}

// Held while they are handed work: a window may close, and leave the map, meanwhile.
std::vector<std::shared_ptr<SdlWindowBackend>> SdlDisplay::shownWindows() const {
    std::vector<std::shared_ptr<SdlWindowBackend>> shown;
    for (const auto& [id, weak] : windows_) {
        if (auto window = weak.lock())
            shown.push_back(std::move(window));
    }
    return shown;
}

std::shared_ptr<SdlWindowBackend> SdlDisplay::windowWithId(std::uint32_t windowId) const {
    auto found = windows_.find(windowId);
    return found == windows_.end() ? nullptr : found->second.lock();
}

} // namespace appkit
