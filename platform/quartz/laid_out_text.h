#pragma once

#include "platform/quartz/geometry.h"
#include "platform/quartz/text_style.h"

#include <cairo.h>
#include <optional>
#include <pango/pangocairo.h>
#include <string>
#include <vector>

namespace quartz {

// One text laid out in one style, lines placed as the paragraph style says, y growing down from
// the top of the text.
class LaidOutText {
public:
    struct Line {
        PangoLayoutLine* line; // owned by the layout
        double x;              // the line's left edge, alignment included
        double top;
        double baseline;
        double width;
    };

    // Made in a Pango context set up as text_layout.cpp's is.
    LaidOutText(PangoContext* context, const std::string& text, const TextStyle& style,
                std::optional<double> width);
    ~LaidOutText() {
        if (layout_)
            g_object_unref(layout_);
    }
    LaidOutText(const LaidOutText&) = delete;
    LaidOutText& operator=(const LaidOutText&) = delete;

    Size size() const { return size_; }
    const std::vector<Line>& lines() const { return lines_; }
    // At the current origin of a context whose y grows down, in its current source.
    void draw(cairo_t* cairo) const;

private:
    void configure(const std::string& text, const TextStyle& style, std::optional<double> width);
    void placeLines(const TextStyle& style, std::optional<double> width);
    bool startsRightToLeft() const;

    PangoLayout* layout_ = nullptr;
    std::vector<Line> lines_;
    Size size_;
};

} // namespace quartz
