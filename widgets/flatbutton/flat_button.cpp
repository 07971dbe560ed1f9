#include "widgets/flatbutton/flat_button.h"

#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/windows/window.h"

using namespace appkit;

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<FlatButton>("FlatButton", "QvCustomTooltipButton")
        .property("TitleVerticalOffset", &FlatButton::TitleVerticalOffset,
                  &FlatButton::setTitleVerticalOffset)
        .property("TitleHorizontalOffset", &FlatButton::TitleHorizontalOffset,
                  &FlatButton::setTitleHorizontalOffset)
        .property("ImageHorizontalOffset", &FlatButton::ImageHorizontalOffset,
                  &FlatButton::setImageHorizontalOffset)
        .property("momentary", &FlatButton::momentary, &FlatButton::setMomentary)
        .property("onAnimationDuration", &FlatButton::onAnimationDuration,
                  &FlatButton::setOnAnimationDuration)
        .property("offAnimationDuration", &FlatButton::offAnimationDuration,
                  &FlatButton::setOffAnimationDuration)
        .property("glowRadius", &FlatButton::glowRadius, &FlatButton::setGlowRadius)
        .property("glowOpacity", &FlatButton::glowOpacity, &FlatButton::setGlowOpacity)
        .property("cornerRadius", &FlatButton::cornerRadius, &FlatButton::setCornerRadius)
        .property("borderWidth", &FlatButton::borderWidth, &FlatButton::setBorderWidth)
        .property("borderColor", &FlatButton::borderColor, &FlatButton::setBorderColor)
        .property("activeBorderColor", &FlatButton::activeBorderColor, &FlatButton::setActiveBorderColor)
        .property("buttonColor", &FlatButton::buttonColor, &FlatButton::setButtonColor)
        .property("activeButtonColor", &FlatButton::activeButtonColor, &FlatButton::setActiveButtonColor)
        .property("iconColor", &FlatButton::iconColor, &FlatButton::setIconColor)
        .property("activeIconColor", &FlatButton::activeIconColor, &FlatButton::setActiveIconColor)
        .property("textColor", &FlatButton::textColor, &FlatButton::setTextColor)
        .property("activeTextColor", &FlatButton::activeTextColor, &FlatButton::setActiveTextColor);
});

} // namespace

FlatButton::FlatButton()
    : containerLayer_(quartz::Layer::layer()), iconLayer_(quartz::ShapeLayer::layer()),
      alternateIconLayer_(quartz::ShapeLayer::layer()), titleLayer_(quartz::TextLayer::layer()) {}

void FlatButton::initWithFrame(quartz::Rect frame) {
    QvCustomTooltipButton::initWithFrame(frame);
    setup();
}

bool FlatButton::initWithCoder(const Coder& coder) {
    if (!QvCustomTooltipButton::initWithCoder(coder))
        return false;
    setup();
    return true;
}

void FlatButton::setup() {
    setWantsLayer(true);
    if (layer())
        layer()->setMasksToBounds(false);
    containerLayer_->setMasksToBounds(false);
    if (layer()) {
        layer()->setCornerRadius(4.0);
        layer()->setBorderWidth(1.0);
        layer()->setDelegate(asLayerDelegate());
    }
    titleLayer_->setDelegate(asLayerDelegate());
    if (auto shown = window())
        titleLayer_->setContentsScale(shown->backingScaleFactor());
    iconLayer_->setDelegate(asLayerDelegate());
    alternateIconLayer_->setDelegate(asLayerDelegate());
    iconLayer_->setMasksToBounds(true);
    alternateIconLayer_->setMasksToBounds(true);
    containerLayer_->setShadowOffset({0, 0});
    containerLayer_->setShadowColor(quartz::Color::clearColor());
    containerLayer_->setFrame({0, 0, bounds().width(), bounds().height()});
    containerLayer_->addSublayer(iconLayer_);
    containerLayer_->addSublayer(alternateIconLayer_);
    containerLayer_->addSublayer(titleLayer_);
    if (layer())
        layer()->addSublayer(containerLayer_);
    setupTitle();
    setupImage();
}

std::weak_ptr<quartz::LayerDelegate> FlatButton::asLayerDelegate() {
    auto self = std::static_pointer_cast<FlatButton>(shared_from_this());
    return std::static_pointer_cast<quartz::LayerDelegate>(self);
}

void FlatButton::setColor(quartz::Color& stored, quartz::Color color) {
    stored = color;
    animateColor(isOn());
}

void FlatButton::setMomentary(bool momentary) {
    momentary_ = momentary;
    animateColor(isOn());
}

void FlatButton::setGlowRadius(double radius) {
    glowRadius_ = radius;
    containerLayer_->setShadowRadius(radius);
    animateColor(isOn());
}

void FlatButton::setGlowOpacity(float opacity) {
    glowOpacity_ = opacity;
    containerLayer_->setShadowOpacity(opacity);
    animateColor(isOn());
}

void FlatButton::setCornerRadius(double radius) {
    cornerRadius_ = radius;
    if (layer())
        layer()->setCornerRadius(radius);
}

void FlatButton::setBorderWidth(double width) {
    borderWidth_ = width;
    if (layer())
        layer()->setBorderWidth(width);
}

void FlatButton::setEnabled(bool enabled) {
    QvCustomTooltipButton::setEnabled(enabled);
    setAlphaValue(isEnabled() ? 1.0 : 0.5);
}

void FlatButton::awakeFromNib() {
    QvCustomTooltipButton::awakeFromNib();
    auto self = std::static_pointer_cast<Responder>(shared_from_this());
    addTrackingArea(std::make_shared<TrackingArea>(bounds(), ownTrackingOptions, self));
}

std::shared_ptr<View> FlatButton::hitTest(quartz::Point point) {
    if (!isEnabled())
        return nullptr;
    return QvCustomTooltipButton::hitTest(point);
}
