#pragma once

#include "platform/appkit/views/layer_contents_scale_delegate.h"
#include "platform/quartz/shape_layer.h"
#include "platform/quartz/text_layer.h"
#include "widgets/tooltip/qv_custom_tooltip_button.h"

#include <memory>
#include <string_view>

// A push or toggle button drawn entirely by layers: the view's layer is the rounded, bordered
// fill; a container holds the icon and alternate icon (solid colours cut by the images as masks)
// and the title; the container's shadow is an optional glow. The off and on looks are animated.
//
// The button owns its four layers, created in the constructor so that the base initialisers,
// which call the overridden setters, find them in place.
class FlatButton : public QvCustomTooltipButton, public appkit::LayerContentsScaleDelegate {
public:
    static constexpr std::uint32_t ownTrackingOptions = appkit::NSTrackingMouseEnteredAndExited |
                                                        appkit::NSTrackingActiveAlways |
                                                        appkit::NSTrackingInVisibleRect;
    static_assert(ownTrackingOptions == 641);

    FlatButton();

    void initWithFrame(quartz::Rect frame) override;
    bool initWithCoder(const appkit::Coder& coder) override;

    double TitleVerticalOffset() const { return titleVerticalOffset_; }
    void setTitleVerticalOffset(double offset) { titleVerticalOffset_ = offset; }
    double TitleHorizontalOffset() const { return titleHorizontalOffset_; }
    void setTitleHorizontalOffset(double offset) { titleHorizontalOffset_ = offset; }
    double ImageHorizontalOffset() const { return imageHorizontalOffset_; }
    void setImageHorizontalOffset(double offset) { imageHorizontalOffset_ = offset; }
    bool momentary() const { return momentary_; }
    virtual void setMomentary(bool momentary);
    double onAnimationDuration() const { return onAnimationDuration_; }
    void setOnAnimationDuration(double duration) { onAnimationDuration_ = duration; }
    double offAnimationDuration() const { return offAnimationDuration_; }
    void setOffAnimationDuration(double duration) { offAnimationDuration_ = duration; }
    double glowRadius() const { return glowRadius_; }
    virtual void setGlowRadius(double radius);
    float glowOpacity() const { return glowOpacity_; }
    virtual void setGlowOpacity(float opacity);
    double cornerRadius() const { return cornerRadius_; }
    virtual void setCornerRadius(double radius);
    double borderWidth() const { return borderWidth_; }
    virtual void setBorderWidth(double width);

    quartz::Color borderColor() const { return borderColor_; }
    void setBorderColor(quartz::Color color) { setColor(borderColor_, color); }
    quartz::Color activeBorderColor() const { return activeBorderColor_; }
    void setActiveBorderColor(quartz::Color color) { setColor(activeBorderColor_, color); }
    quartz::Color buttonColor() const { return buttonColor_; }
    void setButtonColor(quartz::Color color) { setColor(buttonColor_, color); }
    quartz::Color activeButtonColor() const { return activeButtonColor_; }
    void setActiveButtonColor(quartz::Color color) { setColor(activeButtonColor_, color); }
    quartz::Color iconColor() const { return iconColor_; }
    void setIconColor(quartz::Color color) { setColor(iconColor_, color); }
    quartz::Color activeIconColor() const { return activeIconColor_; }
    void setActiveIconColor(quartz::Color color) { setColor(activeIconColor_, color); }
    quartz::Color textColor() const { return textColor_; }
    void setTextColor(quartz::Color color) { setColor(textColor_, color); }
    quartz::Color activeTextColor() const { return activeTextColor_; }
    void setActiveTextColor(quartz::Color color) { setColor(activeTextColor_, color); }

    // The base's properties, each followed by what the button makes of it.
    void setTitle(const std::string& title) override;
    void setFont(std::optional<appkit::Font> font) override;
    void setFrame(quartz::Rect frame) override;
    void setImage(std::optional<quartz::Image> image) override;
    void setAlternateImage(std::optional<quartz::Image> image) override;
    void setEnabled(bool enabled) override;
    void layout() override;
    void viewDidChangeBackingProperties() override;
    void awakeFromNib() override;

    std::shared_ptr<appkit::View> hitTest(quartz::Point point) override;
    void mouseDown(const appkit::Event& event) override;
    void mouseUp(const appkit::Event& event) override;
    void mouseEntered(const appkit::Event& event) override;
    void mouseExited(const appkit::Event& event) override;
    // Everything visible comes from the layers.
    void drawRect(quartz::Rect) override {}
    bool shouldInheritContentsScale(quartz::Layer&, double, appkit::Window*) override { return true; }

    virtual void setup();
    virtual void setupTitle();
    virtual void positionTitleAndImage();
    virtual void setupImage();
    virtual void removeAnimations();
    // Shows the on look (true) or the off look, animated.
    virtual void animateColor(bool on);
    virtual void setOn(bool on);
    void animateLayerColor(quartz::Layer& layer, quartz::Color color, std::string_view keyPath,
                           double duration);

    // The layer tree, for whoever draws or inspects it.
    const std::shared_ptr<quartz::Layer>& containerLayer() const { return containerLayer_; }
    const std::shared_ptr<quartz::ShapeLayer>& iconLayer() const { return iconLayer_; }
    const std::shared_ptr<quartz::ShapeLayer>& alternateIconLayer() const { return alternateIconLayer_; }
    const std::shared_ptr<quartz::TextLayer>& titleLayer() const { return titleLayer_; }
    bool isMouseDown() const { return mouseDown_; }

private:
    void setColor(quartz::Color& stored, quartz::Color color);
    bool isOn() const { return state() == appkit::NSControlStateValueOn; }
    void toggle();
    // The delegate the layers hold: this button, as the same object the view is.
    std::weak_ptr<quartz::LayerDelegate> asLayerDelegate();

    std::shared_ptr<quartz::Layer> containerLayer_;
    std::shared_ptr<quartz::ShapeLayer> iconLayer_;
    std::shared_ptr<quartz::ShapeLayer> alternateIconLayer_;
    std::shared_ptr<quartz::TextLayer> titleLayer_;
    bool mouseDown_ = false;

    double titleVerticalOffset_ = 0;
    double titleHorizontalOffset_ = 0;
    double imageHorizontalOffset_ = 0;
    bool momentary_ = true;
    double onAnimationDuration_ = 0;
    double offAnimationDuration_ = 0.1;
    double glowRadius_ = 0;
    float glowOpacity_ = 0;
    double cornerRadius_ = 4.0;
    double borderWidth_ = 1.0;
    quartz::Color borderColor_ = quartz::Color::darkGrayColor();
    quartz::Color activeBorderColor_ = quartz::Color::whiteColor();
    quartz::Color buttonColor_ = quartz::Color::whiteColor();
    quartz::Color activeButtonColor_ = quartz::Color::whiteColor();
    quartz::Color iconColor_ = quartz::Color::grayColor();
    quartz::Color activeIconColor_ = quartz::Color::blackColor();
    quartz::Color textColor_ = quartz::Color::grayColor();
    quartz::Color activeTextColor_ = quartz::Color::grayColor();
};
