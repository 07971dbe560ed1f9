#pragma once

#include "widgets/decor/gradient_view.h"

// A gradient from gradientColor2 at the start edge to gradientColor1 at the end edge: bottom to
// top, or left to right when horizontal.
class QvGradientView : public GradientView {
protected:
    std::vector<quartz::Color> gradientColors() const override {
        return {*gradientColor2(), *gradientColor1()};
    }
    std::vector<double> gradientLocations() const override { return {0.0, 1.0}; }
};
