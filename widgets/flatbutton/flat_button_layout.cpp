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
    quartz::Size iconSize = iconLayer_->frame().size;
    quartz::Size buttonSize = bounds().size;
    double titleShiftX = titleHorizontalOffset_, titleShiftY = titleVerticalOffset_;
    double iconShiftX = imageHorizontalOffset_;

    // The space left beside (or above and below) the title and icon, in three equal gaps.
    double horizontalGap = rounded((buttonSize.width - (titleSize.width + iconSize.width)) / 3);
    double verticalGap = rounded((buttonSize.height - (titleSize.height + iconSize.height)) / 3);
    double centredTitleX = rounded((buttonSize.width - titleSize.width) * 0.5) + titleShiftX;
    double centredTitleY = rounded((buttonSize.height - titleSize.height) * 0.5) + titleShiftY;
    double centredIconX = rounded((buttonSize.width - iconSize.width) * 0.5) + iconShiftX;
    double centredIconY = rounded((buttonSize.height - iconSize.height) * 0.5);

    Placement placement{{centredTitleX, centredTitleY}, iconLayer_->frame().origin};
    switch (imagePosition()) {
    case ImagePosition::NSImageLeft:
        placement = {{(buttonSize.width - titleSize.width) - 6 + titleShiftX, centredTitleY},
                     {horizontalGap + iconShiftX, centredIconY}};
        break;
    case ImagePosition::NSImageRight:
        placement = {{titleShiftX + 2, centredTitleY},
                     {(buttonSize.width - iconSize.width) - horizontalGap + iconShiftX, centredIconY}};
        break;
    case ImagePosition::NSImageBelow:
        placement = {{centredTitleX, titleShiftY + 2},
                     {centredIconX, (buttonSize.height - verticalGap) - iconSize.height}};
        break;
    case ImagePosition::NSImageAbove:
        placement = {{centredTitleX, (buttonSize.height - titleSize.height) + titleShiftY},
                     {centredIconX, verticalGap}};
        break;
    default:
        break;
    }
    iconLayer_->setFrame({placement.icon, iconSize});
    alternateIconLayer_->setFrame({placement.icon, iconSize});
    titleLayer_->setFrame({placement.title, titleSize});
}
