#pragma once

#include "platform/quartz/color.h"

#include <cairo.h>
#include <cstdint>
#include <memory>

namespace quartz {

// A block of pixels in memory: premultiplied ARGB32 in a Cairo image surface, which it owns.
// Shared as std::shared_ptr<const Bitmap> once drawn; the renderer draws from it through cairoSurface().
class Bitmap {
public:
    // Cairo's limit for an image surface side.
    static constexpr int maximumSide = 32767;

    // A fully transparent bitmap; null when a side is not in 1…maximumSide or memory runs out.
    static std::shared_ptr<Bitmap> make(int width, int height);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // The raw premultiplied 0xAARRGGBB word at a pixel, x from the left and y from the top;
    // 0 outside the bitmap.
    std::uint32_t argbAt(int x, int y) const;
    // The same pixel unpremultiplied, components in 0…1; clear outside the bitmap.
    Color pixel(int x, int y) const;
    // Cairo takes surfaces as non-const even to read them. Whoever draws into it calls
    // cairo_surface_flush afterwards.
    cairo_surface_t* cairoSurface() const { return surface_; }

private:
    Bitmap(cairo_surface_t* surface, int width, int height);

    cairo_surface_t* surface_;
    int width_;
    int height_;
};

} // namespace quartz
