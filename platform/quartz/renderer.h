#pragma once

#include "platform/quartz/bitmap.h"
#include "platform/quartz/geometry.h"
#include "platform/quartz/graphics_context.h"
#include "platform/quartz/layer.h"

#include <memory>

namespace quartz {

// Draws a layer and everything below it with the values it presents at a media time. The context's
// user space is the layer's superlayer's coordinate space; its flipping is the composed flipping
// of the layers above.
void drawLayerTree(GraphicsContext& context, const Layer& layer, double time);

// A bitmap of size points at scale pixels per point holding the layer tree, the bitmap being the
// root's superlayer space with y growing up from the bottom edge. Null when the size is empty or
// too large.
std::shared_ptr<Bitmap> renderLayerTree(const Layer& layer, Size size, double scale, double time);

} // namespace quartz
