#include "platform/appkit/sdl_presenter.h"

#include <SDL.h>
#include <cairo.h>

namespace appkit {

namespace {

// The light grey of the desktop's windows, under whatever the views leave transparent.
constexpr double backgroundGray = 0.925;

// Cairo's ARGB32 and SDL's ARGB8888 are both one native-endian word per pixel.
constexpr Uint32 texturePixelFormat = SDL_PIXELFORMAT_ARGB8888;

} // namespace

std::unique_ptr<SdlPresenter> SdlPresenter::make(SDL_Window* window, std::string* error) {
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
    if (renderer == nullptr) {
        if (error != nullptr)
            *error = SDL_GetError();
        return nullptr;
    }
    return std::unique_ptr<SdlPresenter>(new SdlPresenter(renderer));
}

SdlPresenter::~SdlPresenter() {
    forgetTexture();
    SDL_DestroyRenderer(renderer_);
}

int SdlPresenter::outputWidth() const {
    int width = 0;
    SDL_GetRendererOutputSize(renderer_, &width, nullptr);
    return width;
}

int SdlPresenter::outputHeight() const {
    int height = 0;
    SDL_GetRendererOutputSize(renderer_, nullptr, &height);
    return height;
}

void SdlPresenter::forgetTexture() {
    if (texture_ != nullptr)
        SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    textureWidth_ = textureHeight_ = 0;
}

bool SdlPresenter::fitTexture(int width, int height) {
    if (texture_ != nullptr && width == textureWidth_ && height == textureHeight_)
        return true;
    forgetTexture();
    texture_ = SDL_CreateTexture(renderer_, texturePixelFormat, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture_ == nullptr)
        return false;
    // The texture is opaque once the frame lies over the background.
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    textureWidth_ = width;
    textureHeight_ = height;
    return true;
}

// The frame is premultiplied; Cairo lays it over the background right in the texture's memory.
bool SdlPresenter::copyOverBackground(const quartz::Bitmap& frame) {
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0)
        return false;
    bool copied = false;
    if (pitch >= cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, textureWidth_) && pitch % 4 == 0) {
        cairo_surface_t* target = cairo_image_surface_create_for_data(
            static_cast<unsigned char*>(pixels), CAIRO_FORMAT_ARGB32, textureWidth_, textureHeight_, pitch);
        cairo_t* cairo = cairo_create(target);
        cairo_set_source_rgb(cairo, backgroundGray, backgroundGray, backgroundGray);
        cairo_paint(cairo);
        cairo_surface_flush(frame.cairoSurface());
        cairo_set_source_surface(cairo, frame.cairoSurface(), 0, 0);
        cairo_paint(cairo);
        copied = cairo_status(cairo) == CAIRO_STATUS_SUCCESS;
        cairo_destroy(cairo);
        cairo_surface_finish(target);
        cairo_surface_destroy(target);
    }
    SDL_UnlockTexture(texture_);
    return copied;
}

void SdlPresenter::present(const quartz::Bitmap& frame) {
    if (!fitTexture(frame.width(), frame.height()) || !copyOverBackground(frame))
        forgetTexture();
    presentAgain();
}

void SdlPresenter::presentAgain() {
    auto level = static_cast<Uint8>(backgroundGray * 255 + 0.5);
    SDL_SetRenderDrawColor(renderer_, level, level, level, 255);
    SDL_RenderClear(renderer_);
    if (texture_ != nullptr)
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

} // namespace appkit
