#pragma once

#include "platform/quartz/layer.h"

namespace quartz {

// A layer filled with a colour.
class ShapeLayer : public Layer {
public:
    static std::shared_ptr<ShapeLayer> layer();

    const std::optional<Color>& fillColor() const { return fillColor_; }
    void setFillColor(std::optional<Color> color) { change(fillColor_, color); }

    // Adds "fillColor".
    std::optional<LayerValue> valueForKey(std::string_view key) const override;
    bool setValueForKey(const LayerValue& value, std::string_view key) override;

protected:
    ShapeLayer() = default;

private:
    std::optional<Color> fillColor_ = Color::blackColor();
};

} // namespace quartz
