#pragma once

#include "platform/quartz/geometry.h"

#include <cairo.h>

namespace quartz {

// An axis-aligned box in device pixels, the renderer's measure of what a layer paints. Empty when
// a side is not positive.
struct DeviceBox {
    double x0 = 0;
    double y0 = 0;
    double x1 = 0;
    double y1 = 0;

    // The box around a rectangle of a user space mapped to device space.
    static DeviceBox of(const cairo_matrix_t& userToDevice, const Rect& rect);
    // The device area a context may still paint, its clip.
    static DeviceBox clipOf(cairo_t* cairo);

    bool isEmpty() const { return !(x1 > x0 && y1 > y0); }
    DeviceBox united(const DeviceBox& other) const;
    DeviceBox intersected(const DeviceBox& other) const;
    DeviceBox grown(double dx, double dy) const { return {x0 - dx, y0 - dy, x1 + dx, y1 + dy}; }
    DeviceBox moved(double dx, double dy) const { return {x0 + dx, y0 + dy, x1 + dx, y1 + dy}; }
};

// An intermediate surface covering a box of device space, whole pixels: its device offset makes a
// Cairo context on it draw in the same device coordinates as the surface it is painted into, so
// user-space matrices carry over unchanged. Owns its surface.
class DeviceRaster {
public:
    // A transparent raster over the box rounded out to whole pixels; an invalid one (no surface)
    // when the box is empty or too large for Cairo.
    DeviceRaster(const DeviceBox& box, cairo_format_t format);
    ~DeviceRaster();
    DeviceRaster(DeviceRaster&& other) noexcept;
    DeviceRaster& operator=(DeviceRaster&&) = delete;
    DeviceRaster(const DeviceRaster&) = delete;
    DeviceRaster& operator=(const DeviceRaster&) = delete;

    bool isValid() const { return surface_ != nullptr; }
    cairo_surface_t* surface() const { return surface_; }
    int x() const { return x_; }
    int y() const { return y_; }
    int width() const { return width_; }
    int height() const { return height_; }
    DeviceBox box() const { return {double(x_), double(y_), double(x_ + width_), double(y_ + height_)}; }

    // A context drawing into the raster with the given user-to-device matrix; the caller destroys it.
    cairo_t* makeContext(const cairo_matrix_t& userToDevice) const;

private:
    cairo_surface_t* surface_ = nullptr;
    int x_ = 0;
    int y_ = 0;
    int width_ = 0;
    int height_ = 0;
};

} // namespace quartz
