#include "platform/quartz/renderer.h"

namespace quartz {

// Placeholder until the renderer lands.
void drawLayerTree(GraphicsContext&, const Layer&, double) {}

std::shared_ptr<Bitmap> renderLayerTree(const Layer&, Size size, double scale, double) {
    return Bitmap::make(static_cast<int>(size.width * scale), static_cast<int>(size.height * scale));
}

} // namespace quartz
