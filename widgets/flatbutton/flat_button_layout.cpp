#include "platform/appkit/views/attributed_string.h"
#include "platform/appkit/windows/window.h"
#include "widgets/flatbutton/flat_button.h"

#include <cmath>

using namespace appkit;

namespace {

// Halves away from zero, as the frameworks' round().
double rounded(double value) {
    return std::round(value);
}

struct Placement {
    quartz::Point title;
    quartz::Point icon;
};

// The image is a stencil: a mask holding its pixels cuts the icon layer's colour to its shape.
std::shared_ptr<quartz::Layer> stencilFor(const quartz::Image& image, quartz::ShapeLayer& icon) {
    auto mask = quartz::Layer::layer();
    quartz::Rect rect{0, 0, image.size().width, image.size().height};
    mask->setContents(image.bitmap());
    icon.setFrame(rect);
    mask->setFrame(rect);
    icon.setMask(mask);
    return mask;
}

} // namespace

void FlatButton::setTitle(const std::string& title) {
    QvCustomTooltipButton::setTitle(title);
    setupTitle();
}

void FlatButton::setFont(std::optional<Font> font) {
    QvCustomTooltipButton::setFont(std::move(font));
    setupTitle();
}

void FlatButton::setFrame(quartz::Rect frame) {
    QvCustomTooltipButton::setFrame(frame);
    positionTitleAndImage();
}

void FlatButton::setImage(std::optional<quartz::Image> image) {
    QvCustomTooltipButton::setImage(std::move(image));
    setupImage();
}

void FlatButton::setAlternateImage(std::optional<quartz::Image> image) {
    QvCustomTooltipButton::setAlternateImage(std::move(image));
    setupImage();
}

void FlatButton::layout() {
    QvCustomTooltipButton::layout();
    positionTitleAndImage();
}

void FlatButton::viewDidChangeBackingProperties() {
    QvCustomTooltipButton::viewDidChangeBackingProperties();
    auto shown = window();
    if (!shown)
        return;
    double scale = shown->backingScaleFactor();
    titleLayer_->setContentsScale(scale);
    if (layer())
        layer()->setContentsScale(scale);
    iconLayer_->setContentsScale(scale);
}

void FlatButton::setupTitle() {
    if (!font())
        return;
    titleLayer_->setString(title());
    titleLayer_->setFont(font()->familyName());
    titleLayer_->setFontSize(font()->pointSize());
    positionTitleAndImage();
}

void FlatButton::setupImage() {
    if (!image())
        return;
    stencilFor(*image(), *iconLayer_);
    if (alternateImage()) {
        auto mask = stencilFor(*alternateImage(), *alternateIconLayer_);
        alternateIconLayer_->setFrame(mask->frame());
    }
    positionTitleAndImage();
}

void FlatButton::positionTitleAndImage() {
    AttributedString measured;
    measured.string = title();
    // Without a font of its own the title is measured in the system font.
    measured.font = font().value_or(Font::systemFontOfSize(Font::systemFontSize));
    quartz::Size titleSize = sizeOfAttributedString(measured);
    double tw = titleSize.width, th = titleSize.height;
    quartz::Rect icon = iconLayer_->frame();
    double iw = icon.width(), ih = icon.height();
    double W = bounds().width(), H = bounds().height();
    double THO = titleHorizontalOffset_, TVO = titleVerticalOffset_, IHO = imageHorizontalOffset_;

    double horizontalGap = rounded((W - (tw + iw)) / 3);
    double verticalGap = rounded((H - (th + ih)) / 3);
    double centredTitleX = rounded((W - tw) * 0.5) + THO;
    double centredTitleY = rounded((H - th) * 0.5) + TVO;
    double centredIconX = rounded((W - iw) * 0.5) + IHO;
    double centredIconY = rounded((H - ih) * 0.5);

    Placement placement{{centredTitleX, centredTitleY}, icon.origin};
    switch (imagePosition()) {
    case ImagePosition::NSImageLeft:
        placement = {{(W - tw) - 6 + THO, centredTitleY}, {horizontalGap + IHO, centredIconY}};
        break;
    case ImagePosition::NSImageRight:
        placement = {{THO + 2, centredTitleY}, {(W - iw) - horizontalGap + IHO, centredIconY}};
        break;
    case ImagePosition::NSImageBelow:
        placement = {{centredTitleX, TVO + 2}, {centredIconX, (H - verticalGap) - ih}};
        break;
    case ImagePosition::NSImageAbove:
        placement = {{centredTitleX, (H - th) + TVO}, {centredIconX, verticalGap}};
        break;
    default:
        break;
    }
    iconLayer_->setFrame({placement.icon.x, placement.icon.y, iw, ih});
    alternateIconLayer_->setFrame({placement.icon.x, placement.icon.y, iw, ih});
    titleLayer_->setFrame({placement.title.x, placement.title.y, tw, th});
}
