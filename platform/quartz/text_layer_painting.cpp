#include "platform/quartz/layer_painting.h"
#include "platform/quartz/text_layer.h"
#include "platform/quartz/text_layout.h"

#include <cairo.h>
#include <cmath>

namespace quartz {

namespace {

TextAlignment alignmentFor(TextLayer::AlignmentMode mode) {
    switch (mode) {
    case TextLayer::AlignmentMode::left:
        return TextAlignment::left;
    case TextLayer::AlignmentMode::right:
        return TextAlignment::right;
    case TextLayer::AlignmentMode::center:
        return TextAlignment::center;
    case TextLayer::AlignmentMode::justified:
        return TextAlignment::justified;
    case TextLayer::AlignmentMode::natural:
        break;
    }
    return TextAlignment::natural;
}

TextStyle styleOf(const TextLayer& layer, double time) {
    TextStyle style;
    if (!layer.font().empty())
        style.fontFamily = layer.font();
    style.fontSize = layer.presentedValue<double>("fontSize", time).value_or(layer.fontSize());
    style.color = layer.presentedValue<Color>("foregroundColor", time).value_or(layer.foregroundColor());
    style.alignment = alignmentFor(layer.alignmentMode());
    style.wraps = layer.wrapped();
    return style;
}

// Text rasterised at the layer's contents scale into a bitmap of the bounds, then stretched over
// the bounds: the layer's backing store when it is not at the device's resolution.
void paintThroughBackingStore(const LayerCanvas& canvas, const TextLayer& layer, const TextStyle& style,
                              const Rect& bounds, double contentsScale) {
    double pixelWidth = std::ceil(bounds.width() * contentsScale);
    double pixelHeight = std::ceil(bounds.height() * contentsScale);
    if (!(pixelWidth >= 1 && pixelHeight >= 1 && pixelWidth <= Bitmap::maximumSide &&
          pixelHeight <= Bitmap::maximumSide))
        return;
    cairo_surface_t* store = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(pixelWidth),
                                                        static_cast<int>(pixelHeight));
    cairo_t* storeCairo = cairo_create(store);
    cairo_scale(storeCairo, contentsScale, contentsScale);
    GraphicsContext storeContext(storeCairo, contentsScale, true);
    drawText(storeContext, layer.string(), style, Rect({0, 0}, bounds.size));
    cairo_destroy(storeCairo);
    cairo_surface_flush(store);

    // Pixels to user space: contentsScale pixels a point, row 0 at the top on screen.
    cairo_matrix_t userToPixels;
    if (canvas.flipped)
        cairo_matrix_init(&userToPixels, contentsScale, 0, 0, contentsScale, -bounds.minX() * contentsScale,
                          -bounds.minY() * contentsScale);
    else
        cairo_matrix_init(&userToPixels, contentsScale, 0, 0, -contentsScale, -bounds.minX() * contentsScale,
                          bounds.maxY() * contentsScale);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(store);
    cairo_pattern_set_matrix(pattern, &userToPixels);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
    cairo_set_source(canvas.cairo, pattern);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(store);
    cairo_rectangle(canvas.cairo, bounds.minX(), bounds.minY(), bounds.width(), bounds.height());
    cairo_fill(canvas.cairo);
}

} // namespace

// The string laid out from the top of the bounds in their width, through the same text layout as
// labels, inside the bounds (a text layer's backing store ends there). At the device's resolution
// the text is drawn straight into the context; at another contents scale it goes through a
// backing store at that scale, so a layer left at scale 1 on a scale 2 screen looks upscaled, as
// in Core Animation.
void paintTextLayer(const LayerCanvas& canvas, const TextLayer& layer, const PresentedLayer& shown) {
    const Rect& bounds = shown.bounds;
    if (layer.string().empty() || bounds.isEmpty())
        return;
    TextStyle style = styleOf(layer, canvas.time);
    double contentsScale = layer.contentsScale();
    if (contentsScale > 0 && std::abs(contentsScale - canvas.backingScale) > 1e-6) {
        paintThroughBackingStore(canvas, layer, style, bounds, contentsScale);
        return;
    }
    cairo_save(canvas.cairo);
    cairo_rectangle(canvas.cairo, bounds.minX(), bounds.minY(), bounds.width(), bounds.height());
    cairo_clip(canvas.cairo);
    GraphicsContext context(canvas.cairo, canvas.backingScale, canvas.flipped);
    drawText(context, layer.string(), style, bounds);
    cairo_restore(canvas.cairo);
}

} // namespace quartz
