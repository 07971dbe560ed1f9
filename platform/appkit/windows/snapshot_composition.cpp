#include "platform/appkit/windows/snapshot_composition.h"

#include <algorithm>
#include <cmath>

namespace appkit {

namespace {

struct Extent {
    double minX, minY, maxX, maxY;

    void include(quartz::Rect rect) {
        minX = std::min(minX, rect.minX());
        minY = std::min(minY, rect.minY());
        maxX = std::max(maxX, rect.maxX());
        maxY = std::max(maxY, rect.maxY());
    }
};

// Whole pixels, as a window system places its windows.
int pixels(double points, double scale) {
    return static_cast<int>(std::lround(points * scale));
}

// An image and where its top-left pixel goes on the picture.
struct Placed {
    const quartz::Bitmap* image;
    int x, y;
};

Placed place(const quartz::Bitmap& image, quartz::Rect frame, const Extent& extent, double scale) {
    return {&image, pixels(frame.minX() - extent.minX, scale), pixels(extent.maxY - frame.maxY(), scale)};
}

} // namespace

std::shared_ptr<quartz::Bitmap> composeSnapshot(const std::shared_ptr<quartz::Bitmap>& windowFrame,
                                                quartz::Size windowSize, double scale,
                                                const std::vector<PopoverSurface>& popovers) {
    if (!windowFrame || popovers.empty())
        return windowFrame;
    Extent extent{0, 0, windowSize.width, windowSize.height};
    for (const auto& popover : popovers)
        extent.include(popover.frameInWindow);
    std::vector<Placed> placed{place(*windowFrame, {{0, 0}, windowSize}, extent, scale)};
    for (const auto& popover : popovers)
        placed.push_back(place(*popover.image, popover.frameInWindow, extent, scale));
    int width = 0;
    int height = 0;
    for (const auto& [image, x, y] : placed) {
        width = std::max(width, x + image->width());
        height = std::max(height, y + image->height());
    }
    auto picture = quartz::Bitmap::make(width, height);
    if (!picture)
        return windowFrame;
    {
        quartz::BitmapDrawing drawing(*picture, 1);
        for (const auto& [image, x, y] : placed)
            drawing.context().drawBitmap(*image, x, y);
    }
    return picture;
}

} // namespace appkit
