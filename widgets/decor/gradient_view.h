#pragma once

#include "platform/appkit/views/view.h"
#include "platform/quartz/gradient_layer.h"

#include <memory>
#include <optional>
#include <vector>

// What the two gradient views share: four properties set from interface files, layer backing,
// a gradient layer added once on waking, and swallowed clicks. Each subclass chooses its colours
// and stops.
class GradientView : public appkit::View {
public:
    bool initWithCoder(const appkit::Coder& coder) override;
    // Adds one gradient layer over the bounds of this moment; a second call adds another.
    void awakeFromNib() override;
    // A new layer, added nowhere.
    std::shared_ptr<quartz::GradientLayer> gradientLayer() const;

    void mouseDown(const appkit::Event&) override {}
    void mouseUp(const appkit::Event&) override {}
    bool acceptsFirstMouse(const appkit::Event*) override { return true; }

    const std::optional<quartz::Color>& gradientColor1() const { return gradientColor1_; }
    void setGradientColor1(std::optional<quartz::Color> color) { gradientColor1_ = color; }
    const std::optional<quartz::Color>& gradientColor2() const { return gradientColor2_; }
    void setGradientColor2(std::optional<quartz::Color> color) { gradientColor2_ = color; }
    float cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(float radius) { cornerRadius_ = radius; }
    bool isHorizontal() const { return isHorizontal_; }
    void setIsHorizontal(bool horizontal) { isHorizontal_ = horizontal; }

protected:
    // Only asked for when both colours are set.
    virtual std::vector<quartz::Color> gradientColors() const = 0;
    virtual std::vector<double> gradientLocations() const = 0;

private:
    std::optional<quartz::Color> gradientColor1_;
    std::optional<quartz::Color> gradientColor2_;
    float cornerRadius_ = 0;
    bool isHorizontal_ = false;
};
