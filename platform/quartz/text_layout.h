#pragma once

#include "platform/quartz/geometry.h"
#include "platform/quartz/graphics_context.h"
#include "platform/quartz/text_style.h"

#include <optional>
#include <string>

namespace quartz {

// The size text takes when laid out in one style: unwrapped, or wrapped at a width when the style
// wraps and a width is given. The renderer uses the same layout, so drawn text stays inside it.
Size sizeOfText(const std::string& text, const TextStyle& style, std::optional<double> width = std::nullopt);

// Draws text laid out in rect's width from rect's top edge, upright whatever the context's
// flipping, clipped to nothing (overflow shows, as in the frameworks' labels).
void drawText(GraphicsContext& context, const std::string& text, const TextStyle& style, Rect rect);

} // namespace quartz
