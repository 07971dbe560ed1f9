#include "platform/quartz/bitmap.h"

#include <cairo.h>
#include <cstring>
#include <memory>

namespace quartz {

std::shared_ptr<Bitmap> Bitmap::make(int width, int height) {
    if (width < 1 || height < 1 || width > maximumSide || height > maximumSide)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::shared_ptr<Bitmap>(new Bitmap(surface, width, height));
}

Bitmap::Bitmap(cairo_surface_t* surface, int width, int height)
    : surface_(surface), width_(width), height_(height) {}

Bitmap::~Bitmap() {
    cairo_surface_destroy(surface_);
}

std::uint32_t Bitmap::argbAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    cairo_surface_flush(surface_);
    const unsigned char* row = cairo_image_surface_get_data(surface_) +
                               static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_);
    std::uint32_t word;
    std::memcpy(&word, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof word);
    return word;
}

Color Bitmap::pixel(int x, int y) const {
    std::uint32_t word = argbAt(x, y);
    double alpha = static_cast<double>(word >> 24);
    if (alpha == 0)
        return Color::clearColor();
    auto channel = [&](int shift) { return static_cast<double>((word >> shift) & 0xFF) / alpha; };
    return Color(channel(16), channel(8), channel(0), alpha / 255.0);
}

bool Bitmap::writePNG(const std::string& path, std::string* error) const {
    cairo_status_t status = cairo_surface_write_to_png(surface_, path.c_str());
    if (status == CAIRO_STATUS_SUCCESS)
        return true;
    if (error != nullptr)
        *error = cairo_status_to_string(status);
    return false;
}

void paintOverBackground(const PixelRows& target, const Bitmap& frame, PixelArea area, int originX,
                         int originY, Color background) {
    struct DestroySurface {
        void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
    };
    struct DestroyContext {
        void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
    };
    std::unique_ptr<cairo_surface_t, DestroySurface> surface(cairo_image_surface_create_for_data(
        target.data, CAIRO_FORMAT_ARGB32, target.width, target.height, target.stride));
    {
        std::unique_ptr<cairo_t, DestroyContext> cairo(cairo_create(surface.get()));
        cairo_rectangle(cairo.get(), area.x - originX, area.y - originY, area.width, area.height);
        cairo_clip(cairo.get());
        cairo_set_source_rgba(cairo.get(), background.red(), background.green(), background.blue(), 1);
        cairo_paint(cairo.get());
        cairo_set_source_surface(cairo.get(), frame.cairoSurface(), -originX, -originY);
        cairo_paint(cairo.get());
    }
    cairo_surface_flush(surface.get());
}

} // namespace quartz
