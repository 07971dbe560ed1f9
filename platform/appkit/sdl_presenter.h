#pragma once

#include "platform/quartz/bitmap.h"

#include <memory>
#include <string>

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;

namespace appkit {

// Puts frames on an SDL window: each frame goes over the window background into a streaming
// texture, and the texture onto the window. Without a compositor what was shown is lost when the
// window is exposed, so the last frame can be shown again.
class SdlPresenter {
public:
    // Null, with SDL's reason in error, when the window gets no renderer.
    static std::unique_ptr<SdlPresenter> make(SDL_Window* window, std::string* error);
    ~SdlPresenter();
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    // The renderer's output in pixels; the window's size in points times its backing scale.
    int outputWidth() const;
    int outputHeight() const;

    void present(const quartz::Bitmap& frame);
    void presentAgain();
    // After the renderer lost its textures: the next frame makes a new one.
    void forgetTexture();

private:
    explicit SdlPresenter(SDL_Renderer* renderer) : renderer_(renderer) {}

    bool fitTexture(int width, int height);
    bool copyOverBackground(const quartz::Bitmap& frame);

    SDL_Renderer* renderer_;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
};

} // namespace appkit
