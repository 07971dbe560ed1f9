#include "platform/quartz/basic_animation.h"
#include "widgets/flatbutton/flat_button.h"

using namespace appkit;

void FlatButton::removeAnimations() {
    if (!layer())
        return;
    layer()->removeAllAnimations();
    for (const auto& sublayer : layer()->sublayers())
        sublayer->removeAllAnimations();
}

void FlatButton::animateLayerColor(quartz::Layer& layer, quartz::Color color, std::string_view keyPath,
                                   double duration) {
    quartz::LayerValue target = color;
    std::optional<quartz::LayerValue> current = layer.valueForKey(keyPath);
    if (current && *current == target)
        return;
    auto animation = quartz::BasicAnimation::animationWithKeyPath(std::string(keyPath));
    animation.setToValue(target);
    if (current && !std::holds_alternative<std::monostate>(*current))
        animation.setFromValue(*current);
    animation.setDuration(duration);
    animation.setRemovedOnCompletion(false);
    animation.setFillMode(quartz::BasicAnimation::FillMode::forwards);
    layer.addAnimation(animation, std::string(keyPath));
    layer.setValueForKey(target, keyPath);
}

void FlatButton::animateColor(bool on) {
    removeAnimations();
    const double duration = on ? onAnimationDuration_ : offAnimationDuration_;
    const quartz::Color clear = quartz::Color::clearColor();
    if (layer()) {
        animateLayerColor(*layer(), on ? activeButtonColor_ : buttonColor_, "backgroundColor", duration);
        animateLayerColor(*layer(), on ? activeBorderColor_ : borderColor_, "borderColor", duration);
    }
    titleLayer_->setForegroundColor(on ? activeTextColor_ : textColor_);
    if (alternateImage()) {
        animateLayerColor(*iconLayer_, on ? clear : iconColor_, "backgroundColor", duration);
        animateLayerColor(*alternateIconLayer_, on ? activeIconColor_ : clear, "backgroundColor", duration);
    } else {
        animateLayerColor(*iconLayer_, on ? activeIconColor_ : iconColor_, "backgroundColor", duration);
    }
    if (glowRadius_ > 0 && glowOpacity_ > 0)
        animateLayerColor(*containerLayer_, on ? activeIconColor_ : clear, "shadowColor", duration);
    setNeedsDisplay();
}

void FlatButton::setOn(bool on) {
    ControlStateValue wanted = on ? NSControlStateValueOn : NSControlStateValueOff;
    if (state() == wanted)
        return;
    setState(wanted);
    animateColor(isOn());
}

void FlatButton::toggle() {
    ControlStateValue flipped = isOn() ? NSControlStateValueOff : NSControlStateValueOn;
    if (state() == flipped)
        return;
    setState(flipped);
    animateColor(isOn());
}
