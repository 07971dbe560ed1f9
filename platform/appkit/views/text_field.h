#pragma once

#include "platform/appkit/accessibility/accessibility_element.h"
#include "platform/appkit/views/attributed_string.h"
#include "platform/appkit/views/control.h"
#include "platform/quartz/text_style.h"

#include <string>

namespace appkit {

// A label: shows a string, or an attributed string, in its font. A text field is flipped. Screen
// readers see it as static text: its string.
class TextField : public Control, public AccessibilityElement {
public:
    // Reads "string", "font" and "wraps" (whether lines break at the field's width).
    bool initWithCoder(const Coder& coder) override;
    bool isFlipped() const override { return true; }

    const std::string& stringValue() const { return attributedString_.string; }
    // Replaces the text and drops its attributes.
    virtual void setStringValue(const std::string& string);
    const AttributedString& attributedStringValue() const { return attributedString_; }
    virtual void setAttributedStringValue(const AttributedString& string);

    bool wraps() const { return wraps_; }
    void setWraps(bool wraps);

    // The smallest size, in whole points, that shows all the text: wrapped to fit maxWidth when
    // the field wraps, on one line per paragraph otherwise.
    quartz::Size fittingSize(double maxWidth) const;

    // The text from the top, inset from the sides as a label's cell insets it.
    void drawRect(quartz::Rect dirtyRect) override;
    static constexpr double horizontalInset = 2;

    AccessibilityRole accessibilityRole() const override { return AccessibilityRole::staticText; }
    std::string accessibilityLabel() const override { return stringValue(); }

private:
    quartz::TextStyle textStyle() const;

    AttributedString attributedString_;
    bool wraps_ = false;
};

} // namespace appkit
