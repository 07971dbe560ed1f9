#include "platform/appkit/sdl/sdl_popover_windows.h"

#include "platform/appkit/sdl/sdl_display.h"
#include "platform/appkit/sdl/sdl_presenter.h"
#include "platform/foundation/console_log.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <string>

namespace appkit {

struct SdlPopoverWindows::Shown {
    const Popover* popover; // identity only
    SDL_Window* window = nullptr;
    std::uint32_t id = 0;
    std::unique_ptr<SdlPresenter> presenter;
    quartz::Rect frame;
    SDL_Rect placed{};
};

namespace {

// A tooltip window is override-redirect on X11: no frame, no task-bar entry, never focused.
constexpr std::uint32_t popoverWindowFlags =
    SDL_WINDOW_BORDERLESS | SDL_WINDOW_TOOLTIP | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALLOW_HIGHDPI;

int screenUnits(double points, double pixelsPerPoint) {
    return static_cast<int>(std::lround(points * pixelsPerPoint));
}

} // namespace

SdlPopoverWindows::SdlPopoverWindows(SDL_Window* parent, std::shared_ptr<SdlDisplay> display,
                                     std::weak_ptr<SdlWindowBackend> owner)
    : parent_(parent), display_(std::move(display)), owner_(std::move(owner)) {}

SdlPopoverWindows::~SdlPopoverWindows() {
    show({}, 0, pixelsPerPoint_);
}

void SdlPopoverWindows::show(const std::vector<PopoverSurface>& surfaces, double windowHeight,
                             double pixelsPerPoint) {
    pixelsPerPoint_ = pixelsPerPoint;
    std::vector<std::unique_ptr<Shown>> kept;
    for (const auto& surface : surfaces) {
        auto same = std::find_if(shown_.begin(), shown_.end(), [&](const auto& shown) {
            return shown && shown->popover == surface.popover;
        });
        auto shown = same != shown_.end() ? std::move(*same) : open(surface);
        if (!shown)
            continue;
        place(*shown, surface.frameInWindow, windowHeight, pixelsPerPoint);
        shown->presenter->present(surface.image);
        kept.push_back(std::move(shown));
    }
    for (auto& gone : shown_) {
        if (!gone)
            continue;
        display_->removeWindow(gone->id);
        gone->presenter.reset();
        SDL_DestroyWindow(gone->window);
    }
    shown_ = std::move(kept);
}

std::unique_ptr<SdlPopoverWindows::Shown> SdlPopoverWindows::open(const PopoverSurface& surface) {
    auto shown = std::make_unique<Shown>();
    shown->popover = surface.popover;
    bool parentFocused = (SDL_GetWindowFlags(parent_) & SDL_WINDOW_INPUT_FOCUS) != 0;
    // Moved into place at once, before it is first drawn.
    shown->window =
        SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1, popoverWindowFlags);
    // Without a window manager SDL focuses every window it shows: the focus goes back where it was.
    if (shown->window != nullptr && parentFocused)
        SDL_SetWindowInputFocus(parent_);
    std::string error;
    if (shown->window != nullptr)
        shown->presenter = SdlPresenter::make(shown->window, &error);
    if (!shown->presenter) {
        foundation::consoleLog("cannot show a popover on screen: " +
                               (error.empty() ? SDL_GetError() : error));
        if (shown->window != nullptr)
            SDL_DestroyWindow(shown->window);
        return nullptr;
    }
    shown->id = SDL_GetWindowID(shown->window);
    display_->addWindow(shown->id, shown->window, owner_);
    return shown;
}

// Screen coordinates count from the top left of the parent's content area.
void SdlPopoverWindows::place(Shown& shown, quartz::Rect frame, double windowHeight, double pixelsPerPoint) {
    int parentX = 0;
    int parentY = 0;
    SDL_GetWindowPosition(parent_, &parentX, &parentY);
    SDL_Rect placed{parentX + screenUnits(frame.minX(), pixelsPerPoint),
                    parentY + screenUnits(windowHeight - frame.maxY(), pixelsPerPoint),
                    std::max(1, screenUnits(frame.width(), pixelsPerPoint)),
                    std::max(1, screenUnits(frame.height(), pixelsPerPoint))};
    shown.frame = frame;
    if (placed.w != shown.placed.w || placed.h != shown.placed.h)
        SDL_SetWindowSize(shown.window, placed.w, placed.h);
    if (placed.x != shown.placed.x || placed.y != shown.placed.y)
        SDL_SetWindowPosition(shown.window, placed.x, placed.y);
    shown.placed = placed;
}

std::optional<quartz::Point> SdlPopoverWindows::windowPoint(std::uint32_t windowId, int x, int y) const {
    const Shown* shown = find(windowId);
    if (shown == nullptr)
        return std::nullopt;
    return quartz::Point{shown->frame.minX() + (x + 0.5) / pixelsPerPoint_,
                         shown->frame.maxY() - (y + 0.5) / pixelsPerPoint_};
}

void SdlPopoverWindows::presentAgain(std::uint32_t windowId) {
    if (Shown* shown = find(windowId))
        shown->presenter->presentAgain();
}

SdlPopoverWindows::Shown* SdlPopoverWindows::find(std::uint32_t windowId) const {
    for (const auto& shown : shown_) {
        if (shown->id == windowId)
            return shown.get();
    }
    return nullptr;
}

} // namespace appkit
