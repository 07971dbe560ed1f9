#include "platform/quartz/image.h"

#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace quartz {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct SurfaceDestroyer {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDestroyer>;

struct ContextDestroyer {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using Context = std::unique_ptr<cairo_t, ContextDestroyer>;

std::uint32_t bigEndian(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 |
           std::uint32_t(bytes[3]);
}

// Reads the signature and the IHDR chunk's size so that a huge image is refused before libpng
// allocates for it.
bool hasAcceptableHeader(std::FILE* file) {
    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char header[24];
    if (std::fread(header, 1, sizeof header, file) != sizeof header)
        return false;
    if (std::memcmp(header, signature, sizeof signature) != 0 || std::memcmp(header + 12, "IHDR", 4) != 0)
        return false;
    std::uint32_t width = bigEndian(header + 16);
    std::uint32_t height = bigEndian(header + 20);
    return width >= 1 && height >= 1 && width <= Image::maximumSide && height <= Image::maximumSide;
}

cairo_status_t readFromFile(void* closure, unsigned char* data, unsigned int length) {
    auto* file = static_cast<std::FILE*>(closure);
    return std::fread(data, 1, length, file) == length ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_READ_ERROR;
}

// Whatever format the PNG decoded to, the bitmap holds premultiplied ARGB32.
std::shared_ptr<Bitmap> copiedToBitmap(cairo_surface_t* source) {
    auto bitmap = Bitmap::make(cairo_image_surface_get_width(source), cairo_image_surface_get_height(source));
    if (!bitmap)
        return nullptr;
    Context context(cairo_create(bitmap->cairoSurface()));
    cairo_set_source_surface(context.get(), source, 0, 0);
    cairo_set_operator(context.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(context.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_surface_flush(bitmap->cairoSurface());
    return bitmap;
}

bool isDoubleDensityName(const std::string& path) {
    static const std::string suffix = "@2x.png";
    return path.size() >= suffix.size() &&
           path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

std::optional<Image> Image::imageWithContentsOfFile(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file || !hasAcceptableHeader(file.get()) || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return std::nullopt;
    Surface decoded(cairo_image_surface_create_from_png_stream(readFromFile, file.get()));
    if (cairo_surface_status(decoded.get()) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    auto pixels = copiedToBitmap(decoded.get());
    if (!pixels)
        return std::nullopt;
    double density = isDoubleDensityName(path) ? 2.0 : 1.0;
    Size size{pixels->width() / density, pixels->height() / density};
    return Image(std::move(pixels), size);
}

} // namespace quartz
