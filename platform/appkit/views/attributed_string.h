#pragma once

#include "platform/appkit/views/font.h"
#include "platform/quartz/color.h"
#include "platform/quartz/geometry.h"
#include "platform/quartz/text_style.h"

#include <optional>
#include <string>

namespace appkit {

enum class TextAlignment { left, right, center, justified, natural };

// How the lines of a paragraph are set. Zero means "not set" for the heights and the multiple,
// as in the frameworks' defaults.
struct ParagraphStyle {
    double lineHeightMultiple = 0;
    double minimumLineHeight = 0;
    double maximumLineHeight = 0;
    double lineSpacing = 0;
    TextAlignment alignment = TextAlignment::natural;
    bool operator==(const ParagraphStyle&) const = default;
};

// A string with attributes that hold for the whole of it, which is all the programs use.
struct AttributedString {
    std::string string;
    std::optional<ParagraphStyle> paragraphStyle;
    std::optional<Font> font;
    std::optional<double> kern; // extra space between characters, in points
    std::optional<quartz::Color> foregroundColor;
    bool operator==(const AttributedString&) const = default;
};

// How the string is set when drawn: its own font, else the given one; black unless it has a colour.
quartz::TextStyle textStyleOf(const AttributedString& string, const Font& fallbackFont, bool wraps);

// The size the string takes on one line (the frameworks' sizeWithAttributes), in the system font
// unless it has its own; the same metrics the drawing uses.
quartz::Size sizeOfAttributedString(const AttributedString& string);

} // namespace appkit
