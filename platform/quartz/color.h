#pragma once

namespace quartz {

// A device RGB colour with alpha, components in 0…1. A value: two colours are equal when their
// components are.
class Color {
public:
    constexpr Color() = default;
    constexpr Color(double red, double green, double blue, double alpha = 1.0)
        : red_(red), green_(green), blue_(blue), alpha_(alpha) {}
    static constexpr Color gray(double white, double alpha = 1.0) {
        return Color(white, white, white, alpha);
    }

    // The frameworks' named colours.
    static constexpr Color whiteColor() { return gray(1.0); }
    static constexpr Color blackColor() { return gray(0.0); }
    static constexpr Color grayColor() { return gray(0.5); }
    static constexpr Color darkGrayColor() { return gray(1.0 / 3.0); }
    static constexpr Color clearColor() { return Color(0, 0, 0, 0); }

    constexpr double red() const { return red_; }
    constexpr double green() const { return green_; }
    constexpr double blue() const { return blue_; }
    constexpr double alpha() const { return alpha_; }

    constexpr Color withAlpha(double alpha) const { return Color(red_, green_, blue_, alpha); }
    // The colour a fraction of the way from this one to another, component by component.
    constexpr Color interpolated(const Color& to, double fraction) const {
        auto mix = [fraction](double a, double b) { return a + (b - a) * fraction; };
        return Color(mix(red_, to.red_), mix(green_, to.green_), mix(blue_, to.blue_),
                     mix(alpha_, to.alpha_));
    }

    constexpr bool operator==(const Color&) const = default;

private:
    double red_ = 0;
    double green_ = 0;
    double blue_ = 0;
    double alpha_ = 0;
};

} // namespace quartz
