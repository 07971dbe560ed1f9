#include "platform/quartz/gradient_layer.h"

namespace quartz {

std::shared_ptr<GradientLayer> GradientLayer::layer() {
    return std::shared_ptr<GradientLayer>(new GradientLayer());
}

std::optional<LayerValue> GradientLayer::valueForKey(std::string_view key) const {
    if (key == "startPoint")
        return startPoint_;
    if (key == "endPoint")
        return endPoint_;
    return Layer::valueForKey(key);
}

bool GradientLayer::setValueForKey(const LayerValue& value, std::string_view key) {
    if (key == "startPoint")
        return setIfHolds<Point>(value, [this](Point point) { setStartPoint(point); });
    if (key == "endPoint")
        return setIfHolds<Point>(value, [this](Point point) { setEndPoint(point); });
    return Layer::setValueForKey(value, key);
}

} // namespace quartz
