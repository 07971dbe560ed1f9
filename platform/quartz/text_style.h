#pragma once

#include "platform/quartz/color.h"

#include <optional>
#include <string>

namespace quartz {

enum class TextAlignment { natural, left, right, center, justified };

// How a run of text is set: one font, colour and paragraph style for the whole of it. Zero means
// "not set" for the line heights and the multiple, as in the frameworks.
struct TextStyle {
    static constexpr const char* defaultFamily = "DejaVu Sans";

    std::string fontFamily = defaultFamily;
    double fontSize = 13;
    Color color = Color::blackColor();
    // Extra space after each character, in points; none for the font's own spacing.
    std::optional<double> kern;
    TextAlignment alignment = TextAlignment::natural;
    double lineHeightMultiple = 0;
    double minimumLineHeight = 0;
    double maximumLineHeight = 0;
    double lineSpacing = 0;
    // Whether lines break at the width they are laid out in.
    bool wraps = false;

    bool operator==(const TextStyle&) const = default;
};

} // namespace quartz
