#include "platform/quartz/presented_layer.h"

#include <algorithm>
#include <cmath>

namespace quartz {

PresentedLayer PresentedLayer::of(const Layer& layer, double time) {
    PresentedLayer shown;
    shown.bounds = layer.presentedValue<Rect>("bounds", time).value_or(layer.bounds());
    shown.position = layer.presentedValue<Point>("position", time).value_or(layer.position());
    shown.anchorPoint = layer.presentedValue<Point>("anchorPoint", time).value_or(layer.anchorPoint());
    shown.opacity =
        std::clamp(layer.presentedValue<double>("opacity", time).value_or(layer.opacity()), 0.0, 1.0);
    if (std::isnan(shown.opacity))
        shown.opacity = 0;
    shown.backgroundColor = layer.presentedValue<Color>("backgroundColor", time);
    shown.borderColor = layer.presentedValue<Color>("borderColor", time).value_or(layer.borderColor());
    shown.borderWidth = layer.presentedValue<double>("borderWidth", time).value_or(layer.borderWidth());
    shown.cornerRadius = layer.presentedValue<double>("cornerRadius", time).value_or(layer.cornerRadius());
    shown.shadowColor = layer.presentedValue<Color>("shadowColor", time).value_or(layer.shadowColor());
    shown.shadowOpacity =
        std::min(layer.presentedValue<double>("shadowOpacity", time).value_or(layer.shadowOpacity()), 1.0);
    shown.shadowRadius = layer.presentedValue<double>("shadowRadius", time).value_or(layer.shadowRadius());
    shown.shadowOffset = layer.presentedValue<Size>("shadowOffset", time).value_or(layer.shadowOffset());
    return shown;
}

Rect PresentedLayer::frame() const {
    return Rect({position.x - anchorPoint.x * bounds.width(), position.y - anchorPoint.y * bounds.height()},
                bounds.size);
}

double PresentedLayer::drawnCornerRadius() const {
    double limit = std::min(std::abs(bounds.width()), std::abs(bounds.height())) / 2;
    return cornerRadius > 0 ? std::min(cornerRadius, limit) : 0.0;
}

Color PresentedLayer::shadowTint() const {
    return shadowColor.withAlpha(shadowColor.alpha() * shadowOpacity);
}

} // namespace quartz
