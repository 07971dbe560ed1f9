#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/layer_painting.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace quartz {

// An axial gradient from the start point to the end point, both in the unit square of the bounds
// in the layer's own space (so y = 0 is the bottom edge where y grows up and the top edge in a
// flipped layer), padded beyond them, over the bounds rounded by the corner radius as the
// background is. Stops sit at the locations when there is one per colour, else evenly spread.
// Without colours nothing is drawn; one colour fills the bounds with it (Cairo's one-stop
// gradient), which is what a gradient whose every stop is that colour shows.
void paintGradient(const LayerCanvas& canvas, const GradientLayer& layer, const PresentedLayer& shown) {
    const std::vector<Color>& colors = layer.colors();
    const Rect& bounds = shown.bounds;
    if (colors.empty() || bounds.isEmpty())
        return;
    Point start = layer.presentedValue<Point>("startPoint", canvas.time).value_or(layer.startPoint());
    Point end = layer.presentedValue<Point>("endPoint", canvas.time).value_or(layer.endPoint());
    auto inBounds = [&](Point unit) {
        return Point{bounds.minX() + unit.x * bounds.width(), bounds.minY() + unit.y * bounds.height()};
    };
    Point from = inBounds(start);
    Point to = inBounds(end);
    cairo_pattern_t* pattern = cairo_pattern_create_linear(from.x, from.y, to.x, to.y);
    const std::optional<std::vector<double>>& locations = layer.locations();
    bool located = locations && locations->size() == colors.size();
    for (std::size_t index = 0; index < colors.size(); ++index) {
        double offset =
            located ? std::clamp(std::isfinite((*locations)[index]) ? (*locations)[index] : 0.0, 0.0, 1.0)
            : colors.size() == 1 ? 0.0
                                 : static_cast<double>(index) / static_cast<double>(colors.size() - 1);
        const Color& color = colors[index];
        cairo_pattern_add_color_stop_rgba(pattern, offset, color.red(), color.green(), color.blue(),
                                          color.alpha());
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_set_source(canvas.cairo, pattern);
    cairo_pattern_destroy(pattern);
    addRoundedRect(canvas.cairo, bounds, shown.drawnCornerRadius());
    cairo_fill(canvas.cairo);
}

} // namespace quartz
