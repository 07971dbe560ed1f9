#include "platform/appkit/views/text_field.h"

#include "platform/appkit/interface/coder.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/quartz/text_layout.h"

#include <cmath>

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<TextField>("TextField", "Control");
});

} // namespace

bool TextField::initWithCoder(const Coder& coder) {
    if (!Control::initWithCoder(coder))
        return false;
    if (auto wraps = coder.decodeBool("wraps"))
        setWraps(*wraps);
    if (auto string = coder.decodeString("string"))
        setStringValue(*string);
    return !coder.error();
}

void TextField::setStringValue(const std::string& string) {
    AttributedString plain;
    plain.string = string;
    setAttributedStringValue(plain);
}

void TextField::setAttributedStringValue(const AttributedString& string) {
    bool changed = string.string != attributedString_.string;
    attributedString_ = string;
    setNeedsDisplay();
    if (changed)
        accessibilityPostNotification(*this, AccessibilityNotification::valueChanged);
}

void TextField::setWraps(bool wraps) {
    wraps_ = wraps;
    setNeedsDisplay();
}

quartz::TextStyle TextField::textStyle() const {
    return textStyleOf(attributedString_, font().value_or(Font::systemFontOfSize(Font::systemFontSize)),
                       wraps_);
}

quartz::Size TextField::fittingSize(double maxWidth) const {
    std::optional<double> wrapWidth;
    if (wraps_)
        wrapWidth = maxWidth - 2 * horizontalInset;
    quartz::Size text = quartz::sizeOfText(attributedString_.string, textStyle(), wrapWidth);
    return {std::ceil(text.width) + 2 * horizontalInset, std::ceil(text.height)};
}

void TextField::drawRect(quartz::Rect) {
    auto* context = quartz::GraphicsContext::current();
    if (!context || attributedString_.string.empty())
        return;
    auto style = textStyle();
    quartz::Rect area = bounds();
    quartz::Rect inset{area.origin.x + horizontalInset, area.origin.y, area.width() - 2 * horizontalInset,
                       area.height()};
    quartz::drawText(*context, attributedString_.string, style, inset);
}

} // namespace appkit
