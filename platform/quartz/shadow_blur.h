#pragma once

#include "platform/quartz/color.h"
#include "platform/quartz/device_raster.h"

#include <cairo.h>

namespace quartz {

// The blurred alpha of a raster in device pixels, ready to be painted as a shadow. Owns its surface.
class BlurredAlpha {
public:
    BlurredAlpha() = default;
    BlurredAlpha(cairo_surface_t* surface, int x, int y) : surface_(surface), x_(x), y_(y) {}
    ~BlurredAlpha();
    BlurredAlpha(BlurredAlpha&& other) noexcept;
    BlurredAlpha& operator=(BlurredAlpha&&) = delete;
    BlurredAlpha(const BlurredAlpha&) = delete;
    BlurredAlpha& operator=(const BlurredAlpha&) = delete;

    bool isValid() const { return surface_ != nullptr; }
    // Paints the tint through the alpha, moved by an offset in device pixels (rounded to whole
    // ones), into a context whose identity matrix is device space.
    void paint(cairo_t* cairo, double dx, double dy, const Color& tint) const;

private:
    cairo_surface_t* surface_ = nullptr; // A8
    int x_ = 0;                          // the device pixel at the surface's first pixel
    int y_ = 0;
};

// A Gaussian-like blur of a raster's alpha for layer shadows: three box blurs across and three
// down, sized so that together they approximate a Gaussian of the given standard deviation in
// device pixels. Wide blurs run on a grid of blocks of 2 x 2 or 4 x 4 device pixels (up to
// sixteen times less work), whose result is stretched back to pixels bilinearly: a blur that
// wide cannot tell the difference.
class ShadowBlur {
public:
    explicit ShadowBlur(double sigma);

    // How far, in whole device pixels, the blurred alpha may reach past its source.
    int reach() const;

    // The source's alpha (an ARGB32 raster) blurred; invalid when too large.
    BlurredAlpha blurredAlpha(const DeviceRaster& source) const;

private:
    int boxReach() const { return radii_[0] + radii_[1] + radii_[2]; }

    int factor_ = 1;
    int radii_[3] = {0, 0, 0}; // box radii on the blur's own grid
};

} // namespace quartz
