#include "platform/quartz/renderer.h"

#include "platform/quartz/device_raster.h"
#include "platform/quartz/layer_painting.h"
#include "platform/quartz/presented_layer.h"
#include "platform/quartz/shadow_blur.h"

#include <cairo.h>
#include <cmath>

namespace quartz {

namespace {

// The matrix from a layer's own space to device space, given its superlayer space's: bounds.origin
// sits at the frame's corner, and y runs the other way than in the superlayer when the layer's
// geometry is flipped (so bounds.origin is then at the frame's far y edge).
cairo_matrix_t ownSpace(const cairo_matrix_t& superSpace, const PresentedLayer& shown, bool geometryFlipped) {
    Rect frame = shown.frame();
    cairo_matrix_t own = superSpace;
    cairo_matrix_translate(&own, frame.origin.x,
                           geometryFlipped ? frame.origin.y + frame.height() : frame.origin.y);
    if (geometryFlipped)
        cairo_matrix_scale(&own, 1, -1);
    cairo_matrix_translate(&own, -shown.bounds.origin.x, -shown.bounds.origin.y);
    return own;
}

// Device pixels per unit of a space.
double scaleOf(const cairo_matrix_t& matrix) {
    return std::sqrt(std::abs(matrix.xx * matrix.yy - matrix.xy * matrix.yx));
}

// A layer's shadow in device terms: its blur and its offset, taken in the superlayer's space.
struct DeviceShadow {
    DeviceShadow(const PresentedLayer& shown, const cairo_matrix_t& superSpace)
        : blur(shown.shadowRadius * scaleOf(superSpace)), dx(shown.shadowOffset.width),
          dy(shown.shadowOffset.height) {
        cairo_matrix_transform_distance(&superSpace, &dx, &dy);
    }
    // The device area the shadow of what covers box can darken. One pixel more for the offset,
    // which the blurred alpha is moved by in whole pixels.
    DeviceBox reachOf(const DeviceBox& box) const {
        return box.grown(blur.reach() + 1, blur.reach() + 1).moved(dx, dy);
    }

    ShadowBlur blur;
    double dx;
    double dy;
};

// Paints a raster into a context where it lies in device space.
void paintRaster(cairo_t* cairo, const DeviceRaster& raster, double alpha) {
    cairo_save(cairo);
    cairo_identity_matrix(cairo);
    cairo_set_source_surface(cairo, raster.surface(), 0, 0);
    if (alpha < 1)
        cairo_paint_with_alpha(cairo, alpha);
    else
        cairo_paint(cairo);
    cairo_restore(cairo);
}

// Draws a layer tree in Core Animation's order: for each layer, beneath it its shadow, then its
// background, its contents, its kind's own drawing, its sublayers and on top its border, all
// faded together by its opacity and cut by its mask. Layers that need none of shadow, opacity
// or mask draw straight into the context; the others compose in rasters bounded to what they cover.
class TreePainter {
public:
    TreePainter(double time, double backingScale) : time_(time), backingScale_(backingScale) {}

    // The context's user space is the layer's superlayer space; superFlipped says whether y grows
    // down on screen there.
    void drawLayer(cairo_t* cairo, const Layer& layer, bool superFlipped) const;

private:
    // The layer's own drawing and its sublayers, in its own space, without shadow, opacity or mask.
    void drawComposite(cairo_t* cairo, const Layer& layer, const PresentedLayer& shown, bool flipped) const;
    void drawThroughRasters(cairo_t* cairo, const Layer& layer, const PresentedLayer& shown,
                            const cairo_matrix_t& superSpace, bool flipped) const;
    // Cuts a composite raster (drawn in the layer's own space) by the alpha of the mask layer.
    void applyMask(const DeviceRaster& composite, const Layer& mask, const cairo_matrix_t& own,
                   bool flipped) const;

    // Where in device space a layer's composite can paint.
    DeviceBox compositeBox(const Layer& layer, const PresentedLayer& shown, const cairo_matrix_t& own) const;
    // The same with its shadow, for a layer in a superlayer space; empty for a layer that draws nothing.
    DeviceBox paintedBox(const Layer& layer, const cairo_matrix_t& superSpace) const;

    double time_;
    double backingScale_;
};

void TreePainter::drawLayer(cairo_t* cairo, const Layer& layer, bool superFlipped) const {
    PresentedLayer shown = PresentedLayer::of(layer, time_);
    if (!(shown.opacity > 0))
        return;
    cairo_matrix_t superSpace;
    cairo_get_matrix(cairo, &superSpace);
    bool flipped = superFlipped != layer.geometryFlipped();
    if (shown.opacity < 1 || shown.hasShadow() || layer.mask()) {
        drawThroughRasters(cairo, layer, shown, superSpace, flipped);
        return;
    }
    cairo_matrix_t own = ownSpace(superSpace, shown, layer.geometryFlipped());
    cairo_save(cairo);
    cairo_set_matrix(cairo, &own);
    drawComposite(cairo, layer, shown, flipped);
    cairo_restore(cairo);
}

void TreePainter::drawComposite(cairo_t* cairo, const Layer& layer, const PresentedLayer& shown,
                                bool flipped) const {
    LayerCanvas canvas{cairo, flipped, backingScale_, time_};
    paintBackground(canvas, shown);
    bool clips = layer.masksToBounds();
    if (clips) {
        cairo_save(cairo);
        addRoundedRect(cairo, shown.bounds, shown.drawnCornerRadius());
        cairo_clip(cairo);
    }
    paintContents(canvas, layer, shown);
    paintKindContent(canvas, layer, shown);
    for (const auto& sublayer : layer.sublayers())
        drawLayer(cairo, *sublayer, flipped);
    if (clips)
        cairo_restore(cairo);
    paintBorder(canvas, shown);
}

void TreePainter::drawThroughRasters(cairo_t* cairo, const Layer& layer, const PresentedLayer& shown,
                                     const cairo_matrix_t& superSpace, bool flipped) const {
    cairo_matrix_t own = ownSpace(superSpace, shown, layer.geometryFlipped());
    std::optional<DeviceShadow> shadow;
    if (shown.hasShadow())
        shadow.emplace(shown, superSpace);
    DeviceBox visible = DeviceBox::clipOf(cairo);
    // What lies outside the visible area still matters where its shadow falls inside it.
    DeviceBox needed = visible;
    if (shadow)
        needed = visible.grown(shadow->blur.reach() + 1 + std::abs(shadow->dx),
                               shadow->blur.reach() + 1 + std::abs(shadow->dy));
    DeviceRaster composite(compositeBox(layer, shown, own).intersected(needed), CAIRO_FORMAT_ARGB32);
    if (!composite.isValid())
        return;
    cairo_t* compositeCairo = composite.makeContext(own);
    drawComposite(compositeCairo, layer, shown, flipped);
    cairo_destroy(compositeCairo);
    if (layer.mask())
        applyMask(composite, *layer.mask(), own, flipped);

    if (!shadow) {
        paintRaster(cairo, composite, shown.opacity);
        return;
    }
    BlurredAlpha blurred = shadow->blur.blurredAlpha(composite);
    if (!blurred.isValid())
        return;
    if (shown.opacity >= 1) {
        blurred.paint(cairo, shadow->dx, shadow->dy, shown.shadowTint());
        paintRaster(cairo, composite, 1);
        return;
    }
    // Faded as one, so the shadow does not show through the layer where they overlap.
    DeviceRaster group(composite.box().united(shadow->reachOf(composite.box())).intersected(visible),
                       CAIRO_FORMAT_ARGB32);
    if (!group.isValid())
        return;
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    cairo_t* groupCairo = group.makeContext(identity);
    blurred.paint(groupCairo, shadow->dx, shadow->dy, shown.shadowTint());
    paintRaster(groupCairo, composite, 1);
    cairo_destroy(groupCairo);
    paintRaster(cairo, group, shown.opacity);
}

void TreePainter::applyMask(const DeviceRaster& composite, const Layer& mask, const cairo_matrix_t& own,
                            bool flipped) const {
    cairo_t* cairo = composite.makeContext(own);
    // Keeps the composite only where the mask has alpha: nothing outside the mask's raster.
    cairo_set_operator(cairo, CAIRO_OPERATOR_DEST_IN);
    DeviceRaster maskRaster(paintedBox(mask, own).intersected(composite.box()), CAIRO_FORMAT_ARGB32);
    if (maskRaster.isValid()) {
        cairo_t* maskCairo = maskRaster.makeContext(own);
        drawLayer(maskCairo, mask, flipped);
        cairo_destroy(maskCairo);
        cairo_identity_matrix(cairo);
        cairo_set_source_rgba(cairo, 0, 0, 0, 1);
        cairo_mask_surface(cairo, maskRaster.surface(), 0, 0);
    } else {
        cairo_set_source_rgba(cairo, 0, 0, 0, 0);
        cairo_paint(cairo);
    }
    cairo_destroy(cairo);
}

DeviceBox TreePainter::compositeBox(const Layer& layer, const PresentedLayer& shown,
                                    const cairo_matrix_t& own) const {
    // A layer's own drawing keeps to its bounds: fill, contents, kind content and border.
    DeviceBox bounds = DeviceBox::of(own, shown.bounds);
    DeviceBox sublayers;
    for (const auto& sublayer : layer.sublayers())
        sublayers = sublayers.united(paintedBox(*sublayer, own));
    if (layer.masksToBounds())
        sublayers = sublayers.intersected(bounds);
    DeviceBox box = bounds.united(sublayers);
    if (layer.mask())
        box = box.intersected(paintedBox(*layer.mask(), own));
    return box;
}

DeviceBox TreePainter::paintedBox(const Layer& layer, const cairo_matrix_t& superSpace) const {
    PresentedLayer shown = PresentedLayer::of(layer, time_);
    if (!(shown.opacity > 0))
        return {};
    DeviceBox box = compositeBox(layer, shown, ownSpace(superSpace, shown, layer.geometryFlipped()));
    if (shown.hasShadow() && !box.isEmpty())
        box = box.united(DeviceShadow(shown, superSpace).reachOf(box));
    return box;
}

} // namespace

void drawLayerTree(GraphicsContext& context, const Layer& layer, double time) {
    TreePainter(time, context.backingScale()).drawLayer(context.cairo(), layer, context.isFlipped());
}

std::shared_ptr<Bitmap> renderLayerTree(const Layer& layer, Size size, double scale, double time) {
    if (!(scale > 0))
        return nullptr;
    // A hair below, so a size that is a whole number of pixels is not rounded up by float noise.
    double width = std::ceil(size.width * scale - 1e-9);
    double height = std::ceil(size.height * scale - 1e-9);
    if (!(width >= 1 && height >= 1 && width <= Bitmap::maximumSide && height <= Bitmap::maximumSide))
        return nullptr;
    std::shared_ptr<Bitmap> bitmap = Bitmap::make(static_cast<int>(width), static_cast<int>(height));
    if (!bitmap)
        return nullptr;
    cairo_t* cairo = cairo_create(bitmap->cairoSurface());
    // Points with y growing up from the bottom edge.
    cairo_translate(cairo, 0, height);
    cairo_scale(cairo, scale, -scale);
    GraphicsContext context(cairo, scale, false);
    drawLayerTree(context, layer, time);
    cairo_destroy(cairo);
    cairo_surface_flush(bitmap->cairoSurface());
    return bitmap;
}

} // namespace quartz
