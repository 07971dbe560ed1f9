#include "platform/quartz/shape_layer.h"

namespace quartz {

std::shared_ptr<ShapeLayer> ShapeLayer::layer() {
    return std::shared_ptr<ShapeLayer>(new ShapeLayer());
}

std::optional<LayerValue> ShapeLayer::valueForKey(std::string_view key) const {
    if (key == "fillColor")
        return layerValueOf(fillColor_);
    return Layer::valueForKey(key);
}

bool ShapeLayer::setValueForKey(const LayerValue& value, std::string_view key) {
    if (key == "fillColor")
        return changeOptionalColor(value, fillColor_);
    return Layer::setValueForKey(value, key);
}

} // namespace quartz
