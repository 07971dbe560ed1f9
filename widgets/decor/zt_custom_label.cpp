#include "widgets/decor/zt_custom_label.h"

#include "platform/appkit/runtime/runtime.h"

using namespace appkit;

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<ZtCustomLabel>("ZtCustomLabel", "TextField")
        .property("enableLineHeight", &ZtCustomLabel::enableLineHeight, &ZtCustomLabel::setEnableLineHeight)
        .property("lineHeight", &ZtCustomLabel::lineHeight, &ZtCustomLabel::setLineHeight)
        .property("enableLineSpacing", &ZtCustomLabel::enableLineSpacing,
                  &ZtCustomLabel::setEnableLineSpacing)
        .property("lineSpacing", &ZtCustomLabel::lineSpacing, &ZtCustomLabel::setLineSpacing)
        .property("enableCharacterSpacing", &ZtCustomLabel::enableCharacterSpacing,
                  &ZtCustomLabel::setEnableCharacterSpacing)
        .property("characterSpacing", &ZtCustomLabel::characterSpacing, &ZtCustomLabel::setCharacterSpacing)
        .property("isCenter", &ZtCustomLabel::isCenter, &ZtCustomLabel::setIsCenter)
        .property("isJustified", &ZtCustomLabel::isJustified, &ZtCustomLabel::setIsJustified)
        .property("isRight", &ZtCustomLabel::isRight, &ZtCustomLabel::setIsRight)
        .property("isShadow", &ZtCustomLabel::isShadow, &ZtCustomLabel::setIsShadow);
});

// Black at the single-precision 20 %, two points up, blurred by four.
Shadow labelShadow() {
    Shadow shadow;
    shadow.shadowColor = quartz::Color::gray(0.0, static_cast<double>(0.2f));
    shadow.shadowOffset = {0, 2};
    shadow.shadowBlurRadius = 4;
    return shadow;
}

} // namespace

void ZtCustomLabel::setStringValue(const std::string& string) {
    TextField::setStringValue(string);
    updateString();
}

void ZtCustomLabel::awakeFromNib() {
    TextField::awakeFromNib();
    updateString();
}

void ZtCustomLabel::updateString() {
    AttributedString styled;
    styled.string = stringValue();
    styled.paragraphStyle = paragraphStyle();
    // A label without a font of its own is set in the system font.
    styled.font = font().value_or(Font::systemFontOfSize(Font::systemFontSize));
    styled.kern = enableCharacterSpacing_ ? static_cast<double>(characterSpacing_) : defaultKerning;
    setAttributedStringValue(styled);
    if (isShadow_)
        setShadow(labelShadow());
}

ParagraphStyle ZtCustomLabel::paragraphStyle() const {
    ParagraphStyle style;
    if (enableLineHeight_) {
        style.lineHeightMultiple = lineHeight_;
        style.minimumLineHeight = lineHeight_;
        style.maximumLineHeight = lineHeight_;
    }
    if (enableLineSpacing_)
        style.lineSpacing = lineSpacing_;
    if (isCenter_)
        style.alignment = TextAlignment::center;
    if (isJustified_)
        style.alignment = TextAlignment::justified;
    if (isRight_)
        style.alignment = TextAlignment::right;
    return style;
}
