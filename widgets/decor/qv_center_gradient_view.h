#pragma once

#include "widgets/decor/gradient_view.h"

// gradientColor2 at both edges and gradientColor1 half-way between them.
class QvCenterGradientView : public GradientView {
protected:
    std::vector<quartz::Color> gradientColors() const override {
        return {*gradientColor2(), *gradientColor1(), *gradientColor2()};
    }
    std::vector<double> gradientLocations() const override { return {0.0, 0.5, 1.0}; }
};
