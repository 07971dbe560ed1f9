#include "platform/quartz/shadowed_drawing.h"

#include "platform/quartz/device_raster.h"
#include "platform/quartz/shadow_blur.h"

#include <cairo.h>
#include <cmath>
#include <memory>

namespace quartz {

namespace {

struct DestroyContext {
    void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
};

} // namespace

void drawWithShadow(GraphicsContext& context, const Rect& bounds, double overdraw,
                    const DrawingShadow& shadow, const std::function<void(GraphicsContext&)>& draw) {
    cairo_t* cairo = context.cairo();
    cairo_matrix_t own;
    cairo_get_matrix(cairo, &own);
    double scale = context.backingScale();
    ShadowBlur blur(shadow.blurRadius / 2 * scale);
    double dx = shadow.offset.width * scale;
    double dy = -shadow.offset.height * scale;
    double reach = blur.reach() + 1;
    DeviceBox needed = DeviceBox::clipOf(cairo).grown(reach + std::abs(dx), reach + std::abs(dy));
    DeviceBox drawn = DeviceBox::of(own, bounds).grown(overdraw * scale, overdraw * scale);
    DeviceRaster content(drawn.intersected(needed), CAIRO_FORMAT_ARGB32);
    if (!content.isValid()) {
        draw(context);
        return;
    }
    {
        std::unique_ptr<cairo_t, DestroyContext> contentCairo(content.makeContext(own));
        GraphicsContext inner(contentCairo.get(), scale, false);
        draw(inner);
    }
    cairo_save(cairo);
    cairo_identity_matrix(cairo);
    if (BlurredAlpha blurred = blur.blurredAlpha(content); blurred.isValid())
        blurred.paint(cairo, dx, dy, shadow.color);
    cairo_set_source_surface(cairo, content.surface(), 0, 0);
    cairo_paint(cairo);
    cairo_restore(cairo);
}

} // namespace quartz
