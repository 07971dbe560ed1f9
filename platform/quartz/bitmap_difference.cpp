#include "platform/quartz/bitmap_difference.h"

#include <algorithm>
#include <cairo.h>
#include <cstdint>
#include <cstring>

namespace quartz {

namespace {

const std::uint32_t* row(const Bitmap& bitmap, int y) {
    const unsigned char* data = cairo_image_surface_get_data(bitmap.cairoSurface());
    auto offset = static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(bitmap.cairoSurface());
    return reinterpret_cast<const std::uint32_t*>(data + offset); // Cairo aligns every row to 4
}

} // namespace

std::optional<PixelArea> differingArea(const Bitmap* before, const Bitmap& after) {
    int width = after.width();
    int height = after.height();
    if (before == nullptr || before->width() != width || before->height() != height)
        return PixelArea{0, 0, width, height};
    cairo_surface_flush(before->cairoSurface());
    cairo_surface_flush(after.cairoSurface());
    int top = -1, bottom = -1, left = width, right = -1;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* old = row(*before, y);
        const std::uint32_t* now = row(after, y);
        if (std::memcmp(old, now, static_cast<std::size_t>(width) * 4) == 0)
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        // Only the columns outside what earlier rows found need looking at.
        int first = 0;
        while (first < left && old[first] == now[first])
            ++first;
        int last = width - 1;
        while (last > right && old[last] == now[last])
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (top < 0)
        return std::nullopt;
    return PixelArea{left, top, right - left + 1, bottom - top + 1};
}

} // namespace quartz
