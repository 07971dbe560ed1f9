#pragma once

#include "platform/quartz/color.h"
#include "platform/quartz/geometry.h"

namespace appkit {

// A view's shadow. The offset is in unflipped terms, as in the frameworks: a positive height
// moves the shadow up on screen, whatever the view's flipping.
struct Shadow {
    quartz::Color shadowColor = quartz::Color::blackColor().withAlpha(1.0 / 3.0);
    quartz::Size shadowOffset;
    double shadowBlurRadius = 0;
    bool operator==(const Shadow&) const = default;
};

} // namespace appkit
