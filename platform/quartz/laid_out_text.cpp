#include "platform/quartz/laid_out_text.h"

#include <algorithm>
#include <cairo.h>
#include <climits>
#include <cmath>
#include <string_view>

namespace quartz {

namespace {

double fromPango(int units) {
    return static_cast<double>(units) / PANGO_SCALE;
}

int toPango(double points) {
    double units = std::round(points * PANGO_SCALE);
    return static_cast<int>(std::clamp(units, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

// The paragraph-style line height for a line of the font's natural height.
double styledLineHeight(double natural, const TextStyle& style) {
    double height = natural;
    if (style.lineHeightMultiple > 0)
        height *= style.lineHeightMultiple;
    if (style.minimumLineHeight > 0)
        height = std::max(height, style.minimumLineHeight);
    if (style.maximumLineHeight > 0)
        height = std::min(height, style.maximumLineHeight);
    return height;
}

// Natural alignment, and a justified paragraph's last (here its only) line, sit on the side the
// text starts from.
bool followsDirection(TextAlignment alignment) {
    return alignment == TextAlignment::natural || alignment == TextAlignment::justified;
}

} // namespace

LaidOutText::LaidOutText(PangoContext* context, const std::string& text, const TextStyle& style,
                         std::optional<double> width) {
    // No text, or a font of no size, takes no room (the frameworks measure both as zero).
    if (text.empty() || !(style.fontSize > 0))
        return;
    layout_ = pango_layout_new(context);
    configure(text, style, width);
    placeLines(style, width);
}

void LaidOutText::configure(const std::string& text, const TextStyle& style, std::optional<double> width) {
    // Pango takes an int length and warns about malformed UTF-8; both are settled here.
    std::string_view view(text.data(), std::min<std::size_t>(text.size(), INT_MAX));
    if (g_utf8_validate(view.data(), static_cast<gssize>(view.size()), nullptr)) {
        pango_layout_set_text(layout_, view.data(), static_cast<int>(view.size()));
    } else {
        gchar* valid = g_utf8_make_valid(view.data(), static_cast<gssize>(view.size()));
        pango_layout_set_text(layout_, valid, -1);
        g_free(valid);
    }

    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, style.fontFamily.empty() ? TextStyle::defaultFamily
                                                                     : style.fontFamily.c_str());
    // Absolute: in layout units, which are points here, whatever the resolution Pango assumes.
    pango_font_description_set_absolute_size(font, style.fontSize * PANGO_SCALE);
    pango_layout_set_font_description(layout_, font);
    pango_font_description_free(font);

    if (style.kern) {
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_letter_spacing_new(toPango(*style.kern)));
        pango_layout_set_attributes(layout_, attributes);
        pango_attr_list_unref(attributes);
    }

    bool hasWidth = width && *width > 0;
    if (hasWidth && style.wraps) {
        pango_layout_set_width(layout_, toPango(*width));
        pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
    }

    // Natural alignment follows each paragraph's direction (Pango's auto direction mirrors "left"
    // for right-to-left paragraphs); the explicit ones keep to their side.
    switch (style.alignment) {
    case TextAlignment::natural:
        pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT);
        break;
    case TextAlignment::left:
        pango_layout_set_auto_dir(layout_, FALSE);
        pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT);
        break;
    case TextAlignment::right:
        pango_layout_set_auto_dir(layout_, FALSE);
        pango_layout_set_alignment(layout_, PANGO_ALIGN_RIGHT);
        break;
    case TextAlignment::center:
        pango_layout_set_alignment(layout_, PANGO_ALIGN_CENTER);
        break;
    case TextAlignment::justified:
        pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT);
        pango_layout_set_justify(layout_, TRUE);
        break;
    }
}

void LaidOutText::placeLines(const TextStyle& style, std::optional<double> width) {
    // Without a Pango width, Pango aligns the lines within the widest one; the block as a whole is
    // then placed in the width given, if any.
    // Pango spaces letters only between them; AppKit's kern also follows the last one, and its
    // measurements include that.
    double trailingKern = style.kern.value_or(0.0);
    double blockOffset = 0;
    if (pango_layout_get_width(layout_) < 0 && width && *width > 0) {
        PangoRectangle logical;
        pango_layout_get_extents(layout_, nullptr, &logical);
        double room = *width - (fromPango(logical.width) + trailingKern);
        if (style.alignment == TextAlignment::right ||
            (followsDirection(style.alignment) && startsRightToLeft()))
            blockOffset = room;
        else if (style.alignment == TextAlignment::center)
            blockOffset = room / 2;
    }

    double spacing = std::max(style.lineSpacing, 0.0);
    double top = 0;
    double widest = 0;
    PangoLayoutIter* iterator = pango_layout_get_iter(layout_);
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iterator, nullptr, &logical);
        double natural = fromPango(logical.height);
        double descent = fromPango(logical.y + logical.height - pango_layout_iter_get_baseline(iterator));
        double height = styledLineHeight(natural, style);
        double lineWidth = logical.width > 0 ? std::max(fromPango(logical.width) + trailingKern, 0.0) : 0.0;
        lines_.push_back({pango_layout_iter_get_line_readonly(iterator), fromPango(logical.x) + blockOffset,
                          top, top + height - descent, lineWidth});
        widest = std::max(widest, lineWidth);
        top += height + spacing;
    } while (pango_layout_iter_next_line(iterator));
    pango_layout_iter_free(iterator);
    size_ = {widest, top - spacing};
}

bool LaidOutText::startsRightToLeft() const {
    PangoLayoutLine* first = pango_layout_get_line_readonly(layout_, 0);
    return first != nullptr && first->resolved_dir == PANGO_DIRECTION_RTL;
}

void LaidOutText::draw(cairo_t* cairo) const {
    for (const Line& line : lines_) {
        cairo_move_to(cairo, line.x, line.baseline);
        pango_cairo_show_layout_line(cairo, line.line);
    }
}

} // namespace quartz
