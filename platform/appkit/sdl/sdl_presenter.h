#pragma once

#include "platform/quartz/bitmap.h"
#include "platform/quartz/bitmap_difference.h"

#include <memory>
#include <string>

struct SDL_Surface;
struct SDL_Window;

namespace appkit {

// Puts frames on an SDL window through its window surface, laid over the window background.
// Only the pixels that changed since the frame before are composed and handed on: while a button
// animates that is the button, not the window. Without a compositor what was shown is lost when
// the window is exposed, so the last frame can be shown again.
class SdlPresenter {
public:
    // Null, with SDL's reason in error, when the window has no surface.
    static std::unique_ptr<SdlPresenter> make(SDL_Window* window, std::string* error);
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    // The window's size in pixels: its size in points times its backing scale.
    int outputWidth() const;

    void present(std::shared_ptr<const quartz::Bitmap> frame);
    // False when the window's surface was made anew and the frame is to be drawn again.
    bool presentAgain();

private:
    explicit SdlPresenter(SDL_Window* window) : window_(window) {}

    // The surface to draw on, cleared to the background when it is not the one shown_ went to.
    SDL_Surface* currentSurface();
    void composeOverBackground(SDL_Surface* surface, const quartz::Bitmap& frame, quartz::PixelArea area);

    SDL_Window* window_;
    SDL_Surface* surface_ = nullptr;
    std::shared_ptr<const quartz::Bitmap> shown_;
};

} // namespace appkit
