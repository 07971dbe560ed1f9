#include "platform/quartz/device_raster.h"

#include "platform/quartz/bitmap.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <utility>

namespace quartz {

DeviceBox DeviceBox::of(const cairo_matrix_t& userToDevice, const Rect& rect) {
    double xs[] = {rect.minX(), rect.maxX()};
    double ys[] = {rect.minY(), rect.maxY()};
    DeviceBox box{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (double x : xs) {
        for (double y : ys) {
            double deviceX = x;
            double deviceY = y;
            cairo_matrix_transform_point(&userToDevice, &deviceX, &deviceY);
            box.x0 = std::min(box.x0, deviceX);
            box.y0 = std::min(box.y0, deviceY);
            box.x1 = std::max(box.x1, deviceX);
            box.y1 = std::max(box.y1, deviceY);
        }
    }
    return box;
}

DeviceBox DeviceBox::clipOf(cairo_t* cairo) {
    DeviceBox box;
    cairo_save(cairo);
    cairo_identity_matrix(cairo);
    cairo_clip_extents(cairo, &box.x0, &box.y0, &box.x1, &box.y1);
    cairo_restore(cairo);
    return box;
}

DeviceBox DeviceBox::united(const DeviceBox& other) const {
    if (isEmpty())
        return other;
    if (other.isEmpty())
        return *this;
    return {std::min(x0, other.x0), std::min(y0, other.y0), std::max(x1, other.x1), std::max(y1, other.y1)};
}

DeviceBox DeviceBox::intersected(const DeviceBox& other) const {
    return {std::max(x0, other.x0), std::max(y0, other.y0), std::min(x1, other.x1), std::min(y1, other.y1)};
}

DeviceRaster::DeviceRaster(const DeviceBox& box, cairo_format_t format) {
    if (box.isEmpty())
        return;
    double left = std::floor(box.x0);
    double top = std::floor(box.y0);
    double width = std::ceil(box.x1) - left;
    double height = std::ceil(box.y1) - top;
    // Also refuses the infinities and NaNs of a degenerate transform.
    if (!(width >= 1 && height >= 1 && width <= Bitmap::maximumSide && height <= Bitmap::maximumSide) ||
        !(std::abs(left) < 1e9 && std::abs(top) < 1e9))
        return;
    cairo_surface_t* surface =
        cairo_image_surface_create(format, static_cast<int>(width), static_cast<int>(height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return;
    }
    surface_ = surface;
    x_ = static_cast<int>(left);
    y_ = static_cast<int>(top);
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
    cairo_surface_set_device_offset(surface_, -left, -top);
}

DeviceRaster::~DeviceRaster() {
    if (surface_)
        cairo_surface_destroy(surface_);
}

DeviceRaster::DeviceRaster(DeviceRaster&& other) noexcept
    : surface_(std::exchange(other.surface_, nullptr)), x_(other.x_), y_(other.y_), width_(other.width_),
      height_(other.height_) {}

cairo_t* DeviceRaster::makeContext(const cairo_matrix_t& userToDevice) const {
    cairo_t* cairo = cairo_create(surface_);
    cairo_set_matrix(cairo, &userToDevice);
    return cairo;
}

} // namespace quartz
