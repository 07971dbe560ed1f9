#include "platform/quartz/layer.h"

#include "platform/foundation/clock.h"

#include <algorithm>
#include <limits>

namespace quartz {

std::shared_ptr<Layer> Layer::layer() {
    return std::shared_ptr<Layer>(new Layer());
}

Layer::~Layer() {
    for (const auto& sublayer : sublayers_)
        if (sublayer->owner_ == this)
            sublayer->owner_ = nullptr;
    if (mask_ && mask_->owner_ == this)
        mask_->owner_ = nullptr;
}

// Walks raw owners rather than weak superlayers: this runs for every change of every layer.
void Layer::didChange() const {
    const Layer* root = this;
    while (root->owner_ != nullptr)
        root = root->owner_;
    if (auto host = root->host_.lock())
        host->layerTreeDidChange();
}

Rect Layer::frame() const {
    Point origin{position_.x - anchorPoint_.x * bounds_.width(),
                 position_.y - anchorPoint_.y * bounds_.height()};
    return Rect(origin, bounds_.size);
}

void Layer::setFrame(Rect frame) {
    change(bounds_.size, frame.size);
    change(position_, Point{frame.origin.x + anchorPoint_.x * frame.width(),
                            frame.origin.y + anchorPoint_.y * frame.height()});
}

void Layer::setMask(std::shared_ptr<Layer> mask) {
    if (mask_ && mask_->owner_ == this)
        mask_->owner_ = nullptr;
    if (mask)
        mask->owner_ = this;
    change(mask_, std::move(mask));
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
    layer->owner_ = this;
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), std::move(layer));
    didChange();
}

void Layer::removeFromSuperlayer() {
    std::shared_ptr<Layer> superlayer = superlayer_.lock();
    superlayer_.reset();
    if (!superlayer)
        return;
    if (owner_ == superlayer.get())
        owner_ = nullptr;
    auto& siblings = superlayer->sublayers_;
    auto found = std::find_if(siblings.begin(), siblings.end(),
                              [this](const auto& layer) { return layer.get() == this; });
    if (found == siblings.end())
        return;
    // The superlayer may hold the last reference to this layer.
    std::shared_ptr<Layer> keepAlive = std::move(*found);
    siblings.erase(found);
    superlayer->didChange();
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
        return changeOptionalColor(value, backgroundColor_);
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

bool Layer::changeOptionalColor(const LayerValue& value, std::optional<Color>& member) {
    std::optional<Color> color;
    if (!readOptionalColor(value, color))
        return false;
    change(member, color);
    return true;
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
    didChange();
}

void Layer::removeAnimationForKey(std::string_view key) {
    if (animations_.remove(key))
        didChange();
}

void Layer::removeAllAnimations() {
    if (animations_.removeAll())
        didChange();
}

void Layer::removeFinishedAnimations(double time) {
    if (animations_.removeFinished(time))
        didChange();
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
