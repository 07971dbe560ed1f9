#include "platform/appkit/sdl/sdl_window_backend.h"

#include "platform/appkit/sdl/desktop_backing_scale.h"
#include "platform/appkit/sdl/sdl_display.h"
#include "platform/appkit/sdl/sdl_popover_windows.h"
#include "platform/appkit/sdl/sdl_presenter.h"
#include "platform/appkit/windows/backing_scale.h"
#include "platform/appkit/windows/screen_point.h"
#include "platform/appkit/windows/window.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/console_log.h"
#include "platform/foundation/environment_switches.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/timer.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace appkit {

namespace {

double now() {
    return foundation::Clock::current().now();
}

int pixels(double points, double scale) {
    return std::max(1, static_cast<int>(std::lround(points * scale)));
}

// The key's character as the window knows it; empty for keys it has no use for.
std::string charactersIgnoringModifiers(SDL_Keycode key) {
    switch (key) {
    case SDLK_ESCAPE:
        return "\x1b";
    case SDLK_RETURN:
    case SDLK_KP_ENTER: // the frameworks' default button answers both
        return "\r";
    case SDLK_TAB:
        return "\t";
    default:
        break;
    }
    if (key >= ' ' && key < 0x7f)
        return std::string(1, static_cast<char>(key)); // SDL's key codes are unshifted ASCII here
    return {};
}

std::uint64_t modifierFlags(std::uint16_t modifiers) {
    std::uint64_t flags = 0;
    if (modifiers & KMOD_SHIFT)
        flags |= NSEventModifierFlagShift;
    if (modifiers & KMOD_ALT)
        flags |= NSEventModifierFlagOption;
    // Linux desktops take their shortcuts with Control where macOS takes them with Command.
    if (modifiers & KMOD_CTRL)
        flags |= NSEventModifierFlagCommand;
    return flags;
}

// The clock a benchmark outside the process can read too (CLOCK_MONOTONIC).
double monotonicSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::shared_ptr<SdlWindowBackend> SdlWindowBackend::make(const std::shared_ptr<Window>& window,
                                                         std::shared_ptr<SdlDisplay> display) {
    std::shared_ptr<SdlWindowBackend> backend(new SdlWindowBackend(window, std::move(display)));
    std::string error;
    if (!backend->open(*window, &error)) {
        foundation::consoleLog("cannot open the window \"" + window->title() + "\" on screen: " + error);
        return nullptr;
    }
    return backend;
}

SdlWindowBackend::SdlWindowBackend(const std::shared_ptr<Window>& window, std::shared_ptr<SdlDisplay> display)
    : window_(window), display_(std::move(display)),
      reportsFrames_(foundation::environment_switches::reportFrames()) {}

WindowBackend::Factory SdlWindowBackend::factory(std::shared_ptr<SdlDisplay> display) {
    return [display](const std::shared_ptr<Window>& window) -> std::shared_ptr<WindowBackend> {
        return make(window, display);
    };
}

bool SdlWindowBackend::open(Window& window, std::string* error) {
    std::string problem;
    auto forced = forcedBackingScale(&problem);
    if (!problem.empty())
        foundation::consoleLog(problem);
    pixelsPerPoint_ = forced.value_or(1);
    sdlWindow_ = SDL_CreateWindow(window.title().c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  pixels(window.frame().width(), pixelsPerPoint_),
                                  pixels(window.frame().height(), pixelsPerPoint_),
                                  SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN);
    if (sdlWindow_ == nullptr) {
        *error = SDL_GetError();
        return false;
    }
    // The desktop's scale is known once SDL has a window; it is sized before it is shown.
    pixelsPerPoint_ = forced ? *forced : desktopBackingScale(sdlWindow_).value_or(1);
    SDL_SetWindowSize(sdlWindow_, pixels(window.frame().width(), pixelsPerPoint_),
                      pixels(window.frame().height(), pixelsPerPoint_));
    SDL_ShowWindow(sdlWindow_);
    presenter_ = SdlPresenter::make(sdlWindow_, error);
    if (!presenter_)
        return false;
    windowId_ = SDL_GetWindowID(sdlWindow_);
    frameInterval_ = 1.0 / SdlDisplay::refreshRate(sdlWindow_);
    takeBackingScale(window);
    display_->addWindow(windowId_, sdlWindow_, weak_from_this());
    popoverWindows_ = std::make_unique<SdlPopoverWindows>(sdlWindow_, display_, weak_from_this());
    return true;
}

SdlWindowBackend::~SdlWindowBackend() {
    if (frameTimer_)
        frameTimer_->invalidate();
    popoverWindows_.reset();
    if (windowId_ != 0)
        display_->removeWindow(windowId_);
    presenter_.reset();
    if (sdlWindow_ != nullptr)
        SDL_DestroyWindow(sdlWindow_);
}

// A forced scale is what the window was made for; otherwise the drawable's pixels per point.
void SdlWindowBackend::takeBackingScale(Window& window) {
    double scale = pixelsPerPoint_;
    int pointsWide = 0;
    SDL_GetWindowSize(sdlWindow_, &pointsWide, nullptr);
    if (scale == 1 && pointsWide > 0)
        scale = std::max(1.0, static_cast<double>(presenter_->outputWidth()) / pointsWide);
    if (scale != window.backingScaleFactor())
        window.setBackingScaleFactor(scale);
}

void SdlWindowBackend::drawFrameIfDue() {
    auto window = window_.lock();
    if (!window || !window->isVisible())
        return;
    double time = now();
    if (time < lastFrameTime_ + frameInterval_)
        return; // the display would not show it yet; scheduleNextFrame comes back for it
    double started = reportsFrames_ ? monotonicSeconds() : 0;
    auto frame = policy_.drawIfNeeded(*window, time);
    if (!frame)
        return;
    lastFrameTime_ = time;
    presenter_->present(std::move(frame));
    popoverWindows_->show(renderPopovers(*window, time), window->frame().height(), pixelsPerPoint_);
    presented_ = true;
    if (!reportsFrames_)
        return;
    foundation::consoleLog(
        formatted("frame drawn and presented in %.3f ms", (monotonicSeconds() - started) * 1000) +
        (policy_.isAnimating() ? " while animating" : ""));
    reportFirstFrameOnScreen();
}

// What was presented before the window was mapped is lost, so the first frame on screen is the
// first one presented after the window was first exposed.
void SdlWindowBackend::presentAgainOnScreen() {
    if (auto window = window_.lock(); window && !presenter_->presentAgain())
        window->setViewsNeedDisplay(true);
    exposed_ = true;
    reportFirstFrameOnScreen();
}

void SdlWindowBackend::reportFirstFrameOnScreen() {
    if (!reportsFrames_ || reportedFirstFrame_ || !exposed_ || !presented_)
        return;
    reportedFirstFrame_ = true;
    foundation::consoleLog(
        formatted("first frame on screen at %.6f s on the monotonic clock", monotonicSeconds()));
}

void SdlWindowBackend::scheduleNextFrame() {
    auto window = window_.lock();
    if (!window || !window->isVisible() || (frameTimer_ && frameTimer_->isValid()))
        return;
    double time = now();
    if (!policy_.needsFrame(*window, time))
        return;
    double wait = std::max(0.0, lastFrameTime_ + frameInterval_ - time);
    // The timer only wakes the loop; the frame comes before the next wait.
    frameTimer_ = foundation::Timer::scheduledTimer(
        wait, false, [](foundation::Timer&) {}, foundation::Timer::Modes::common);
}

void SdlWindowBackend::windowDidChangeTitle() {
    if (auto window = window_.lock())
        SDL_SetWindowTitle(sdlWindow_, window->title().c_str());
}

// Without a window manager, raising asks for the focus but nobody gives it: it is taken directly.
void SdlWindowBackend::orderFront() {
    SDL_RaiseWindow(sdlWindow_);
    SDL_SetWindowInputFocus(sdlWindow_);
}

void SdlWindowBackend::closeWindow() {
    if (auto window = window_.lock())
        window->close(); // lets this back end go; the display holds it until the event is handled
}

bool SdlWindowBackend::handleEvent(const SDL_Event& event) {
    auto window = window_.lock();
    if (!window)
        return false;
    switch (event.type) {
    case SDL_MOUSEMOTION:
        window->mouseMovedTo(windowPoint(*window, event.motion.windowID, event.motion.x, event.motion.y),
                             now());
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (event.button.button != SDL_BUTTON_LEFT)
            return false;
        auto point = windowPoint(*window, event.button.windowID, event.button.x, event.button.y);
        if (event.type == SDL_MOUSEBUTTONDOWN)
            window->mouseDownAt(point, now());
        else
            window->mouseUpAt(point, now());
        return true;
    }
    case SDL_KEYDOWN:
        return pressKey(*window, event.key);
    case SDL_KEYUP:
        return window->keyUp(charactersIgnoringModifiers(event.key.keysym.sym));
    case SDL_WINDOWEVENT:
        return handleWindowEvent(*window, event);
    default:
        return false;
    }
}

bool SdlWindowBackend::pressKey(Window& window, const SDL_KeyboardEvent& event) {
    if (event.repeat != 0)
        return false; // a held key acts once
    auto characters = charactersIgnoringModifiers(event.keysym.sym);
    return !characters.empty() && window.keyDown(characters, modifierFlags(event.keysym.mod));
}

// A popover's window tells the parent of its pointer only; it never has the focus.
bool SdlWindowBackend::handleWindowEvent(Window& window, const SDL_Event& event) {
    if (popoverWindows_->owns(event.window.windowID)) {
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
            popoverWindows_->presentAgain(event.window.windowID);
        return false;
    }
    switch (event.window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
        presentAgainOnScreen();
        return false;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_DISPLAY_CHANGED: // another screen may have another scale
        takeBackingScale(window);
        presentAgainOnScreen();
        return false;
    case SDL_WINDOWEVENT_MOVED: // the popovers go along, placed anew on the next frame
        if (!window.popovers().empty())
            window.setViewsNeedDisplay(true);
        return false;
    case SDL_WINDOWEVENT_ENTER:
        pointerEntered(window);
        return true;
    case SDL_WINDOWEVENT_LEAVE:
        window.mouseLeftWindow(now());
        return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        window.makeKeyWindow();
        return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        window.resignKeyWindow();
        return true;
    case SDL_WINDOWEVENT_CLOSE: // the window manager's close request
        window.performClose();
        return true;
    default:
        return false;
    }
}

// The enter event carries no position. A motion event usually follows it; without one, the
// pointer's place is asked for (which already counts every event in the queue).
void SdlWindowBackend::pointerEntered(Window& window) {
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION) > 0)
        return;
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    if (SDL_GetMouseFocus() == sdlWindow_)
        movePointer(window, x, y);
}

quartz::Point SdlWindowBackend::windowPoint(const Window& window, std::uint32_t windowId, int x,
                                            int y) const {
    if (auto inPopover = popoverWindows_->windowPoint(windowId, x, y))
        return *inPopover;
    return windowPointFromScreenPixel(x, y, window.frame().height(), pixelsPerPoint_);
}

// The usable part of the parent's display, turned from screen units into window points.
std::optional<quartz::Rect> SdlWindowBackend::screenFrameInWindow() const {
    auto window = window_.lock();
    SDL_Rect usable{};
    if (!window || SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(sdlWindow_), &usable) != 0)
        return std::nullopt;
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(sdlWindow_, &x, &y);
    double height = window->frame().height();
    return quartz::Rect{(usable.x - x) / pixelsPerPoint_,
                        height - (usable.y + usable.h - y) / pixelsPerPoint_, usable.w / pixelsPerPoint_,
                        usable.h / pixelsPerPoint_};
}

void SdlWindowBackend::movePointer(Window& window, int x, int y) {
    window.mouseMovedTo(windowPointFromScreenPixel(x, y, window.frame().height(), pixelsPerPoint_), now());
}

} // namespace appkit
