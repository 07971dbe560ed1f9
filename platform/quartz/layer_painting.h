#pragma once

#include "platform/quartz/layer.h"
#include "platform/quartz/presented_layer.h"

#include <cairo.h>

namespace quartz {

class GradientLayer;
class TextLayer;

// Where one layer's own drawing goes: a Cairo context whose user space is the layer's own space,
// whether y grows down on screen there, the backing scale of the device and the media time.
struct LayerCanvas {
    cairo_t* cairo;
    bool flipped;
    double backingScale;
    double time;
};

// The pieces of a layer's own drawing, in the order the renderer paints them around the sublayers.

// Adds a rectangle with corners rounded by radius (already no more than half a side) to the path.
void addRoundedRect(cairo_t* cairo, const Rect& rect, double radius);
// The background colour over the bounds, rounded by the corner radius.
void paintBackground(const LayerCanvas& canvas, const PresentedLayer& shown);
// The contents bitmap stretched over the bounds, upright.
void paintContents(const LayerCanvas& canvas, const Layer& layer, const PresentedLayer& shown);
// What a layer kind draws of its own: a text layer's text, a shape layer's fill, a gradient.
void paintKindContent(const LayerCanvas& canvas, const Layer& layer, const PresentedLayer& shown);
// The border inside the bounds, following the corner radius.
void paintBorder(const LayerCanvas& canvas, const PresentedLayer& shown);

// The kinds' own drawing that takes more than a fill, in their own files.
void paintGradient(const LayerCanvas& canvas, const GradientLayer& layer, const PresentedLayer& shown);
void paintTextLayer(const LayerCanvas& canvas, const TextLayer& layer, const PresentedLayer& shown);

} // namespace quartz
