#include "platform/quartz/layer.h"

#include "platform/foundation/clock.h"

#include <algorithm>
#include <limits>

namespace quartz {

std::shared_ptr<Layer> Layer::layer() {
    return std::shared_ptr<Layer>(new Layer());
}

Rect Layer::frame() const {
    Point origin{position_.x - anchorPoint_.x * bounds_.width(),
                 position_.y - anchorPoint_.y * bounds_.height()};
    return Rect(origin, bounds_.size);
}

void Layer::setFrame(Rect frame) {
    bounds_.size = frame.size;
    position_ = {frame.origin.x + anchorPoint_.x * frame.width(),
                 frame.origin.y + anchorPoint_.y * frame.height()};
}

void Layer::addSublayer(std::shared_ptr<Layer> layer) {
    insertSublayer(std::move(layer), std::numeric_limits<std::size_t>::max());
}

void Layer::insertSublayer(std::shared_ptr<Layer> layer, std::size_t index) {
    if (!layer || isSelfOrSuperlayer(layer.get()))
        return;
    layer->removeFromSuperlayer();
    index = std::min(index, sublayers_.size());
    layer->superlayer_ = weak_from_this();
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), std::move(layer));
}

void Layer::removeFromSuperlayer() {
    std::shared_ptr<Layer> superlayer = superlayer_.lock();
    superlayer_.reset();
    if (!superlayer)
        return;
    auto& siblings = superlayer->sublayers_;
    auto found = std::find_if(siblings.begin(), siblings.end(),
                              [this](const auto& layer) { return layer.get() == this; });
    if (found == siblings.end())
        return;
    // The superlayer may hold the last reference to this layer.
    std::shared_ptr<Layer> keepAlive = std::move(*found);
    siblings.erase(found);
}

bool Layer::isSelfOrSuperlayer(const Layer* layer) const {
    if (layer == this)
        return true;
    for (std::shared_ptr<Layer> ancestor = superlayer(); ancestor; ancestor = ancestor->superlayer())
        if (ancestor.get() == layer)
            return true;
    return false;
}

std::optional<LayerValue> Layer::valueForKey(std::string_view key) const {
    if (key == "backgroundColor")
        return layerValueOf(backgroundColor_);
    if (key == "borderColor")
        return borderColor_;
    if (key == "borderWidth")
        return borderWidth_;
    if (key == "cornerRadius")
        return cornerRadius_;
    if (key == "opacity")
        return static_cast<double>(opacity_);
    if (key == "shadowColor")
        return shadowColor_;
    if (key == "shadowOpacity")
        return static_cast<double>(shadowOpacity_);
    if (key == "shadowRadius")
        return shadowRadius_;
    if (key == "shadowOffset")
        return shadowOffset_;
    if (key == "bounds")
        return bounds_;
    if (key == "position")
        return position_;
    if (key == "anchorPoint")
        return anchorPoint_;
    return std::nullopt;
}

bool Layer::setValueForKey(const LayerValue& value, std::string_view key) {
    if (key == "backgroundColor")
        return readOptionalColor(value, backgroundColor_);
    if (key == "borderColor")
        return setIfHolds<Color>(value, [this](Color color) { setBorderColor(color); });
    if (key == "borderWidth")
        return setIfHolds<double>(value, [this](double width) { setBorderWidth(width); });
    if (key == "cornerRadius")
        return setIfHolds<double>(value, [this](double radius) { setCornerRadius(radius); });
    if (key == "opacity")
        return setIfHolds<double>(value, [this](double opacity) { setOpacity(static_cast<float>(opacity)); });
    if (key == "shadowColor")
        return setIfHolds<Color>(value, [this](Color color) { setShadowColor(color); });
    if (key == "shadowOpacity")
        return setIfHolds<double>(value,
                                  [this](double opacity) { setShadowOpacity(static_cast<float>(opacity)); });
    if (key == "shadowRadius")
        return setIfHolds<double>(value, [this](double radius) { setShadowRadius(radius); });
    if (key == "shadowOffset")
        return setIfHolds<Size>(value, [this](Size offset) { setShadowOffset(offset); });
    if (key == "bounds")
        return setIfHolds<Rect>(value, [this](const Rect& bounds) { setBounds(bounds); });
    if (key == "position")
        return setIfHolds<Point>(value, [this](Point position) { setPosition(position); });
    if (key == "anchorPoint")
        return setIfHolds<Point>(value, [this](Point anchorPoint) { setAnchorPoint(anchorPoint); });
    return false;
}

void Layer::addAnimation(const BasicAnimation& animation, const std::string& key) {
    double now = foundation::Clock::current().now();
    BasicAnimation added = animation;
    added.setBeginTime(now);
    // Taken before the animation it replaces is gone, so the new one starts where the old one was.
    std::optional<LayerValue> shown;
    if (!animation.fromValue())
        shown = presentationValueForKey(animation.keyPath(), now);
    animations_.add(key, added, std::move(shown));
}

std::optional<LayerValue> Layer::presentationValueForKey(std::string_view key, double time) const {
    std::optional<LayerValue> model = valueForKey(key);
    if (!model)
        return std::nullopt;
    std::optional<LayerValue> animated = animations_.valueForKeyPath(key, *model, time);
    return animated ? animated : model;
}

bool treeIsAnimating(const Layer& layer, double time) {
    if (layer.isAnimating(time) || (layer.mask() && treeIsAnimating(*layer.mask(), time)))
        return true;
    return std::any_of(layer.sublayers().begin(), layer.sublayers().end(),
                       [time](const auto& sublayer) { return treeIsAnimating(*sublayer, time); });
}

} // namespace quartz
