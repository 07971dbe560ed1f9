#include "platform/appkit/views/attributed_string.h"

#include "platform/quartz/text_layout.h"

namespace appkit {

namespace {

quartz::TextAlignment textAlignment(TextAlignment alignment) {
    switch (alignment) {
    case TextAlignment::left:
        return quartz::TextAlignment::left;
    case TextAlignment::right:
        return quartz::TextAlignment::right;
    case TextAlignment::center:
        return quartz::TextAlignment::center;
    case TextAlignment::justified:
        return quartz::TextAlignment::justified;
    case TextAlignment::natural:
        break;
    }
    return quartz::TextAlignment::natural;
}

void applyParagraphStyle(const ParagraphStyle& paragraph, quartz::TextStyle& style) {
    style.alignment = textAlignment(paragraph.alignment);
    style.lineHeightMultiple = paragraph.lineHeightMultiple;
    style.minimumLineHeight = paragraph.minimumLineHeight;
    style.maximumLineHeight = paragraph.maximumLineHeight;
    style.lineSpacing = paragraph.lineSpacing;
}

} // namespace

quartz::TextStyle textStyleOf(const AttributedString& string, const Font& fallbackFont, bool wraps) {
    const Font& font = string.font ? *string.font : fallbackFont;
    quartz::TextStyle style;
    style.fontFamily = font.familyName();
    style.fontSize = font.pointSize();
    style.color = string.foregroundColor.value_or(quartz::Color::blackColor());
    style.kern = string.kern;
    style.wraps = wraps;
    if (string.paragraphStyle)
        applyParagraphStyle(*string.paragraphStyle, style);
    return style;
}

quartz::Size sizeOfAttributedString(const AttributedString& string) {
    auto style = textStyleOf(string, Font::systemFontOfSize(Font::systemFontSize), false);
    return quartz::sizeOfText(string.string, style);
}

} // namespace appkit
