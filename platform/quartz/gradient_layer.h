#pragma once

#include "platform/quartz/layer.h"

#include <vector>

namespace quartz {

// A layer filled with a linear gradient between two points given in the unit square of its bounds.
class GradientLayer : public Layer {
public:
    static std::shared_ptr<GradientLayer> layer();

    const std::vector<Color>& colors() const { return colors_; }
    void setColors(std::vector<Color> colors) { change(colors_, std::move(colors)); }
    // Stop positions in 0…1, one per colour; none spreads the colours evenly.
    const std::optional<std::vector<double>>& locations() const { return locations_; }
    void setLocations(std::optional<std::vector<double>> locations) {
        change(locations_, std::move(locations));
    }
    Point startPoint() const { return startPoint_; }
    void setStartPoint(Point point) { change(startPoint_, point); }
    Point endPoint() const { return endPoint_; }
    void setEndPoint(Point point) { change(endPoint_, point); }

    // Adds "startPoint" and "endPoint".
    std::optional<LayerValue> valueForKey(std::string_view key) const override;
    bool setValueForKey(const LayerValue& value, std::string_view key) override;

protected:
    GradientLayer() = default;

private:
    std::vector<Color> colors_;
    std::optional<std::vector<double>> locations_;
    Point startPoint_{0.5, 0};
    Point endPoint_{0.5, 1};
};

} // namespace quartz
