#pragma once

#include "platform/quartz/color.h"
#include "platform/quartz/geometry.h"
#include "platform/quartz/layer.h"

#include <optional>

namespace quartz {

// What a layer shows at a media time for the keys the renderer reads: the presentation value of
// each animatable key (the model value where no animation says otherwise). Read once per layer
// per frame.
struct PresentedLayer {
    static PresentedLayer of(const Layer& layer, double time);

    // The bounds placed in the superlayer so that the anchor point sits at the position.
    Rect frame() const;
    // The corner radius as drawn: no more than half the shorter side.
    double drawnCornerRadius() const;
    bool hasShadow() const { return shadowOpacity > 0 && shadowColor.alpha() > 0; }
    bool hasBorder() const { return borderWidth > 0 && borderColor.alpha() > 0; }
    // The shadow colour with the shadow opacity applied.
    Color shadowTint() const;

    Rect bounds;
    Point position;
    Point anchorPoint;
    double opacity = 1;
    std::optional<Color> backgroundColor;
    Color borderColor;
    double borderWidth = 0;
    double cornerRadius = 0;
    Color shadowColor;
    double shadowOpacity = 0;
    double shadowRadius = 0;
    Size shadowOffset;
};

} // namespace quartz
