#include "platform/appkit/sdl/sdl_presenter.h"

#include <SDL.h>
#include <algorithm>
#include <vector>

namespace appkit {

namespace {

// The light grey of the desktop's windows, under whatever the views leave transparent.
constexpr double backgroundGray = 0.925;

// The bitmaps' pixels are one native-endian 0xAARRGGBB word each, as are these.
bool takesBitmapPixels(const SDL_Surface& surface) {
    return surface.format->format == SDL_PIXELFORMAT_ARGB8888 ||
           surface.format->format == SDL_PIXELFORMAT_RGB888;
}

constexpr quartz::Color background = quartz::Color::gray(backgroundGray);

SDL_Rect sdlRect(quartz::PixelArea area) {
    return {area.x, area.y, area.width, area.height};
}

} // namespace

std::unique_ptr<SdlPresenter> SdlPresenter::make(SDL_Window* window, std::string* error) {
    std::unique_ptr<SdlPresenter> presenter(new SdlPresenter(window));
    if (presenter->currentSurface() == nullptr) {
        if (error != nullptr)
            *error = SDL_GetError();
        return nullptr;
    }
    return presenter;
}

int SdlPresenter::outputWidth() const {
    int width = 0;
    SDL_GetWindowSizeInPixels(window_, &width, nullptr);
    return width;
}

// SDL makes the surface anew when the window changes size; a new one holds nothing of ours.
SDL_Surface* SdlPresenter::currentSurface() {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr) {
        surface_ = nullptr;
        shown_.reset();
        return nullptr;
    }
    if (surface != surface_ || !shown_) {
        Uint8 level = static_cast<Uint8>(backgroundGray * 255 + 0.5);
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, level, level, level));
        surface_ = surface;
        shown_.reset();
    }
    return surface;
}

void SdlPresenter::present(std::shared_ptr<const quartz::Bitmap> frame) {
    SDL_Surface* surface = currentSurface();
    if (surface == nullptr)
        return;
    auto changed = quartz::differingArea(shown_.get(), *frame);
    shown_ = std::move(frame);
    if (!changed)
        return;
    quartz::PixelArea area = *changed;
    area.width = std::min(area.x + area.width, surface->w) - area.x;
    area.height = std::min(area.y + area.height, surface->h) - area.y;
    if (area.width <= 0 || area.height <= 0)
        return;
    composeOverBackground(surface, *shown_, area);
    SDL_Rect rect = sdlRect(area);
    SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
}

// Straight into the surface when it takes the bitmaps' pixels; through a scratch image and SDL's
// conversion when the screen has some other format.
void SdlPresenter::composeOverBackground(SDL_Surface* surface, const quartz::Bitmap& frame,
                                         quartz::PixelArea area) {
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return;
    auto* pixels = static_cast<unsigned char*>(surface->pixels);
    if (takesBitmapPixels(*surface)) {
        quartz::paintOverBackground({pixels, surface->w, surface->h, surface->pitch}, frame, area, 0, 0,
                                    background);
    } else {
        int stride = area.width * 4;
        std::vector<unsigned char> scratch(static_cast<std::size_t>(stride) * area.height);
        quartz::paintOverBackground({scratch.data(), area.width, area.height, stride}, frame, area, area.x,
                                    area.y, background);
        unsigned char* into = pixels + static_cast<std::ptrdiff_t>(area.y) * surface->pitch +
                              static_cast<std::ptrdiff_t>(area.x) * surface->format->BytesPerPixel;
        SDL_ConvertPixels(area.width, area.height, SDL_PIXELFORMAT_ARGB8888, scratch.data(), stride,
                          surface->format->format, into, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
}

bool SdlPresenter::presentAgain() {
    if (currentSurface() == nullptr || !shown_)
        return false;
    SDL_UpdateWindowSurface(window_);
    return true;
}

} // namespace appkit
