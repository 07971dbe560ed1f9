#pragma once

#include "platform/quartz/color.h"

#include <cstdint>
#include <memory>
#include <string>

// Cairo's own name for its surfaces; only quartz includes Cairo itself.
typedef struct _cairo_surface cairo_surface_t;

namespace quartz {

// A rectangle of whole pixels, x from the left and y from the top.
struct PixelArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelArea&) const = default;
};

// A block of pixels in memory: premultiplied ARGB32 in a Cairo image surface, which it owns.
// Shared as std::shared_ptr<const Bitmap> once drawn; quartz draws from it through cairoSurface().
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
    // Writes the bitmap to a PNG file; false, with the reason, when it cannot.
    bool writePNG(const std::string& path, std::string* error = nullptr) const;
    // For quartz's own drawing code. Cairo takes surfaces as non-const even to read them. Whoever
    // draws into it calls cairo_surface_flush afterwards.
    cairo_surface_t* cairoSurface() const { return surface_; }

private:
    Bitmap(cairo_surface_t* surface, int width, int height);

    cairo_surface_t* surface_;
    int width_;
    int height_;
};

// Pixels in memory someone else owns, in the bitmaps' format (premultiplied 0xAARRGGBB words in
// native byte order), rows `stride` bytes apart: a window system's surface.
struct PixelRows {
    unsigned char* data;
    int width;
    int height;
    int stride;
};

// Paints an area of a frame, in the frame's pixels, over an opaque background colour into rows
// whose first pixel is the frame's pixel (originX, originY).
void paintOverBackground(const PixelRows& target, const Bitmap& frame, PixelArea area, int originX,
                         int originY, Color background);

} // namespace quartz
