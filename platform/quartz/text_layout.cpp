#include "platform/quartz/text_layout.h"

#include "platform/quartz/laid_out_text.h"

#include <algorithm>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <memory>
#include <pango/pangocairo.h>

namespace quartz {

namespace {

// The Pango context every layout of this thread is made in, and the layouts made lately. It is
// kept rather than made per call because its font map holds the fonts fontconfig matched and
// loaded, with their shaping caches: a fresh one costs milliseconds on the first text it lays out,
// a kept one microseconds. One per thread, since Pango's objects are not to be shared between
// threads.
//
// Its font options are what keeps layout independent of the device: metrics unhinted, outlines
// unhinted, glyph positions unrounded, at one unit per point. Layouts made here are drawn as they
// are at any scale (Cairo renders the glyphs at the drawing context's own resolution), so measuring
// and drawing read the same glyph positions.
//
// The last few layouts are kept too: a label is measured on every layout pass and drawn on every
// frame, with the same text, and shaping is most of what either costs.
class LayoutContext {
public:
    static LayoutContext& shared() {
        thread_local LayoutContext context;
        return context;
    }

    ~LayoutContext() {
        recent_.clear();
        g_object_unref(context_);
        g_object_unref(fontMap_);
    }
    LayoutContext(const LayoutContext&) = delete;
    LayoutContext& operator=(const LayoutContext&) = delete;

    // The text laid out, from the recent layouts when it is one of them.
    std::shared_ptr<const LaidOutText> laidOut(const std::string& text, const TextStyle& style,
                                               std::optional<double> width) {
        auto found = std::find_if(recent_.begin(), recent_.end(), [&](const Entry& entry) {
            return entry.width == width && entry.style == style && entry.text == text;
        });
        if (found == recent_.end()) {
            if (recent_.size() == capacity)
                recent_.pop_back();
            recent_.insert(
                recent_.begin(),
                {text, style, width, std::make_shared<const LaidOutText>(context_, text, style, width)});
        } else {
            std::rotate(recent_.begin(), found, found + 1);
        }
        return recent_.front().layout;
    }

private:
    static constexpr std::size_t capacity = 64;

    struct Entry {
        std::string text;
        TextStyle style;
        std::optional<double> width;
        std::shared_ptr<const LaidOutText> layout;
    };

    LayoutContext() : fontMap_(newFontMap()), context_(pango_font_map_create_context(fontMap_)) {
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(context_, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(context_, FALSE);
    }

    // Pango loads the fontconfig configuration on a thread of its own, which reads the environment
    // while this process may be changing it (setenv is not thread-safe). Loading it here first
    // leaves that thread nothing to do.
    static PangoFontMap* newFontMap() {
        FcInit();
        return pango_cairo_font_map_new();
    }

    PangoFontMap* fontMap_;
    PangoContext* context_;
    // Most recently used first.
    std::vector<Entry> recent_;
};

} // namespace

Size sizeOfText(const std::string& text, const TextStyle& style, std::optional<double> width) {
    return LayoutContext::shared().laidOut(text, style, width)->size();
}

std::vector<double> lineTops(const std::string& text, const TextStyle& style, std::optional<double> width) {
    std::vector<double> tops;
    for (const auto& line : LayoutContext::shared().laidOut(text, style, width)->lines())
        tops.push_back(line.top);
    return tops;
}

void drawText(GraphicsContext& context, const std::string& text, const TextStyle& style, Rect rect) {
    std::optional<double> width = rect.width() > 0 ? std::optional<double>(rect.width()) : std::nullopt;
    std::shared_ptr<const LaidOutText> laidOut = LayoutContext::shared().laidOut(text, style, width);
    if (laidOut->lines().empty())
        return;
    cairo_t* cairo = context.cairo();
    cairo_save(cairo);
    if (context.isFlipped()) {
        cairo_translate(cairo, rect.minX(), rect.minY());
    } else {
        cairo_translate(cairo, rect.minX(), rect.maxY());
        cairo_scale(cairo, 1, -1);
    }
    cairo_set_source_rgba(cairo, style.color.red(), style.color.green(), style.color.blue(),
                          style.color.alpha());
    laidOut->draw(cairo);
    cairo_restore(cairo);
}

} // namespace quartz
