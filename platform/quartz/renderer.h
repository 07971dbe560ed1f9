#pragma once

#include "platform/quartz/bitmap.h"
#include "platform/quartz/geometry.h"
#include "platform/quartz/graphics_context.h"
#include "platform/quartz/layer.h"

#include <memory>

namespace quartz {

// The layer renderer: Core Animation's drawing of a layer tree, from the values each layer presents
// at a media time (its animations applied) for the animatable keys and the model values otherwise.
//
// Each layer is placed by its frame (bounds, position and anchor point) in its superlayer's space;
// its own space starts at its bounds' origin, with y running up or down on screen as the composed
// geometryFlipped of the layers above and itself says. Hidden or fully transparent layers draw
// nothing. A layer paints, bottom to top: its shadow; its background (rounded by the corner
// radius); its contents bitmap stretched over the bounds; what its kind draws (a text layer's
// string, a shape layer's fill over its bounds, a gradient layer's gradient); its sublayers; its
// border, inside the bounds and following the corner radius. masksToBounds clips contents, kind
// drawing and sublayers to the rounded bounds; a mask layer (framed in the layer's own space) cuts
// all of it by the mask's drawn alpha; opacity fades it all as one, shadow included.
//
// The shadow is the alpha of everything the layer draws (after its mask), blurred with a Gaussian
// of deviation shadowRadius points, tinted by shadowColor at shadowOpacity and moved by
// shadowOffset in the superlayer's space; masksToBounds does not cut it.
//
// Contents bitmaps, fills, gradients and shadows are drawn at the device's resolution. A text
// layer's text is rasterised at the layer's contentsScale: straight into the device at the
// device's scale, else into a backing store of that scale stretched over the bounds. Text keeps
// to the bounds, as a backing store would.
//
// Gradients with no colours draw nothing; with one colour they fill with it.

// Draws a layer and everything below it with the values it presents at a media time. The context's
// user space is the layer's superlayer's coordinate space; its flipping is the composed flipping
// of the layers above.
void drawLayerTree(GraphicsContext& context, const Layer& layer, double time);

// A bitmap of size points at scale pixels per point holding the layer tree, the bitmap being the
// root's superlayer space with y growing up from the bottom edge. Null when the size is empty or
// too large.
std::shared_ptr<Bitmap> renderLayerTree(const Layer& layer, Size size, double scale, double time);

} // namespace quartz
