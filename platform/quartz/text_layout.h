#pragma once

#include "platform/quartz/geometry.h"
#include "platform/quartz/graphics_context.h"
#include "platform/quartz/text_style.h"

#include <optional>
#include <string>
#include <vector>

namespace quartz {

// Text is laid out once, in points, with no hinting of metrics or outlines and unrounded glyph
// positions, so the same text and style take the same place at every backing scale and what is
// measured is exactly what is drawn.
//
// Lines follow NSParagraphStyle: a line's height is the font's natural height (ascent + descent)
// times lineHeightMultiple when that is set, then raised to minimumLineHeight and lowered to
// maximumLineHeight when those are set; lineSpacing goes between lines. Any height added or taken
// away is above the text: the baseline stays the font's descent above the line's bottom.
// Kerning is extra space after every character, the last included, as AppKit measures it.
// Alignment: natural is left for left-to-right text and right for right-to-left text; justified stretches
// every wrapped line but the last. Text wraps at the width only when the style wraps. Each thread keeps its
// recent layouts, so measuring and drawing the same label again is cheap.

// The size text takes when laid out in one style: unwrapped, or wrapped at a width when the style
// wraps and a width is given. The width is the widest line's; empty text has no size. The renderer
// uses the same layout, so drawn text stays inside it.
Size sizeOfText(const std::string& text, const TextStyle& style, std::optional<double> width = std::nullopt);

// The top of each line, in points below the top of the text, as drawText places them.
std::vector<double> lineTops(const std::string& text, const TextStyle& style,
                             std::optional<double> width = std::nullopt);

// Draws text laid out in rect's width (none when the width is not positive) from rect's top edge,
// upright whatever the context's flipping, clipped to nothing (overflow shows, as in the
// frameworks' labels).
void drawText(GraphicsContext& context, const std::string& text, const TextStyle& style, Rect rect);

} // namespace quartz
