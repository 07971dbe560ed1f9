#include "platform/quartz/layer_painting.h"

#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/text_layer.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <numbers>

namespace quartz {

namespace {

void setSourceColor(cairo_t* cairo, const Color& color) {
    cairo_set_source_rgba(cairo, color.red(), color.green(), color.blue(), color.alpha());
}

} // namespace

void addRoundedRect(cairo_t* cairo, const Rect& rect, double radius) {
    double x0 = rect.minX();
    double y0 = rect.minY();
    double x1 = rect.maxX();
    double y1 = rect.maxY();
    if (!(radius > 0)) {
        cairo_rectangle(cairo, x0, y0, x1 - x0, y1 - y0);
        return;
    }
    constexpr double quarter = std::numbers::pi / 2;
    cairo_new_sub_path(cairo);
    cairo_arc(cairo, x1 - radius, y0 + radius, radius, -quarter, 0);
    cairo_arc(cairo, x1 - radius, y1 - radius, radius, 0, quarter);
    cairo_arc(cairo, x0 + radius, y1 - radius, radius, quarter, 2 * quarter);
    cairo_arc(cairo, x0 + radius, y0 + radius, radius, 2 * quarter, 3 * quarter);
    cairo_close_path(cairo);
}

void paintBackground(const LayerCanvas& canvas, const PresentedLayer& shown) {
    if (!shown.backgroundColor || shown.backgroundColor->alpha() <= 0 || shown.bounds.isEmpty())
        return;
    setSourceColor(canvas.cairo, *shown.backgroundColor);
    addRoundedRect(canvas.cairo, shown.bounds, shown.drawnCornerRadius());
    cairo_fill(canvas.cairo);
}

void paintContents(const LayerCanvas& canvas, const Layer& layer, const PresentedLayer& shown) {
    const std::shared_ptr<const Bitmap>& contents = layer.contents();
    const Rect& bounds = shown.bounds;
    if (!contents || bounds.isEmpty())
        return;
    // Pattern space is the bitmap's pixels, row 0 at the top on screen: at the bounds' minimum y
    // in a flipped space, at its maximum in one where y grows up.
    double scaleX = contents->width() / bounds.width();
    double scaleY = contents->height() / bounds.height();
    cairo_matrix_t userToPixels;
    if (canvas.flipped)
        cairo_matrix_init(&userToPixels, scaleX, 0, 0, scaleY, -bounds.minX() * scaleX,
                          -bounds.minY() * scaleY);
    else
        cairo_matrix_init(&userToPixels, scaleX, 0, 0, -scaleY, -bounds.minX() * scaleX,
                          bounds.maxY() * scaleY);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(contents->cairoSurface());
    cairo_pattern_set_matrix(pattern, &userToPixels);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    // Stretched edges stay sharp instead of fading into the transparency beyond the bitmap.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_set_source(canvas.cairo, pattern);
    cairo_pattern_destroy(pattern);
    cairo_rectangle(canvas.cairo, bounds.minX(), bounds.minY(), bounds.width(), bounds.height());
    cairo_fill(canvas.cairo);
}

void paintKindContent(const LayerCanvas& canvas, const Layer& layer, const PresentedLayer& shown) {
    if (auto text = dynamic_cast<const TextLayer*>(&layer)) {
        paintTextLayer(canvas, *text, shown);
    } else if (auto gradient = dynamic_cast<const GradientLayer*>(&layer)) {
        paintGradient(canvas, *gradient, shown);
    }
    // A shape layer fills its path, and the stand-in's shape layers have none: like any layer,
    // they show their background, contents and sublayers only.
}

void paintBorder(const LayerCanvas& canvas, const PresentedLayer& shown) {
    const Rect& bounds = shown.bounds;
    if (!shown.hasBorder() || bounds.isEmpty())
        return;
    double radius = shown.drawnCornerRadius();
    double width = shown.borderWidth;
    setSourceColor(canvas.cairo, shown.borderColor);
    addRoundedRect(canvas.cairo, bounds, radius);
    // The ring between the outline and the outline moved in by the width; a border as wide as
    // half the shorter side fills the layer.
    if (2 * width < std::min(bounds.width(), bounds.height())) {
        Rect inner(bounds.minX() + width, bounds.minY() + width, bounds.width() - 2 * width,
                   bounds.height() - 2 * width);
        addRoundedRect(canvas.cairo, inner, std::max(radius - width, 0.0));
        cairo_set_fill_rule(canvas.cairo, CAIRO_FILL_RULE_EVEN_ODD);
    }
    cairo_fill(canvas.cairo);
    cairo_set_fill_rule(canvas.cairo, CAIRO_FILL_RULE_WINDING);
}

} // namespace quartz
