#include "platform/quartz/layer_value.h"

namespace quartz {

namespace {

bool isColorKind(const LayerValue& value) {
    return std::holds_alternative<std::monostate>(value) || std::holds_alternative<Color>(value);
}

Color colorOrClear(const LayerValue& value) {
    const Color* color = std::get_if<Color>(&value);
    return color ? *color : Color::clearColor();
}

double mix(double from, double to, double fraction) {
    return from + (to - from) * fraction;
}

Point mix(Point from, Point to, double fraction) {
    return {mix(from.x, to.x, fraction), mix(from.y, to.y, fraction)};
}

Size mix(Size from, Size to, double fraction) {
    return {mix(from.width, to.width, fraction), mix(from.height, to.height, fraction)};
}

Rect mix(const Rect& from, const Rect& to, double fraction) {
    return {mix(from.origin, to.origin, fraction), mix(from.size, to.size, fraction)};
}

} // namespace

bool isSameKind(const LayerValue& first, const LayerValue& second) {
    return first.index() == second.index() || (isColorKind(first) && isColorKind(second));
}

std::optional<LayerValue> interpolate(const LayerValue& from, const LayerValue& to, double fraction) {
    if (!isSameKind(from, to))
        return std::nullopt;
    if (isColorKind(from)) {
        if (std::holds_alternative<std::monostate>(from) && std::holds_alternative<std::monostate>(to))
            return LayerValue();
        return colorOrClear(from).interpolated(colorOrClear(to), fraction);
    }
    return std::visit(
        [&](const auto& start) -> LayerValue {
            using Kind = std::decay_t<decltype(start)>;
            if constexpr (std::is_same_v<Kind, std::monostate> || std::is_same_v<Kind, Color>)
                return start; // handled above
            else
                return mix(start, std::get<Kind>(to), fraction);
        },
        from);
}

LayerValue layerValueOf(const std::optional<Color>& color) {
    return color ? LayerValue(*color) : LayerValue();
}

bool readOptionalColor(const LayerValue& value, std::optional<Color>& color) {
    if (std::holds_alternative<std::monostate>(value)) {
        color.reset();
        return true;
    }
    if (const Color* held = std::get_if<Color>(&value)) {
        color = *held;
        return true;
    }
    return false;
}

} // namespace quartz
