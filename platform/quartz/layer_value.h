#pragma once

#include "platform/quartz/color.h"
#include "platform/quartz/geometry.h"

#include <optional>
#include <variant>

namespace quartz {

// A value of an animatable layer key, as valueForKey and animations pass it around. No value stands
// for an absent optional colour (a layer without a background colour).
using LayerValue = std::variant<std::monostate, Color, double, Point, Size, Rect>;

// Whether two values can belong to the same key: the same kind, where a colour and no value count
// as one kind, since a colour key may be empty.
bool isSameKind(const LayerValue& first, const LayerValue& second);

// The value a fraction of the way from one to the other, component by component; an absent colour
// counts as clear. None when the two are of different kinds.
std::optional<LayerValue> interpolate(const LayerValue& from, const LayerValue& to, double fraction);

LayerValue layerValueOf(const std::optional<Color>& color);

// Hands the value to set when it holds a T; false otherwise.
template <typename T, typename Setter> bool setIfHolds(const LayerValue& value, Setter set) {
    const T* held = std::get_if<T>(&value);
    if (held)
        set(*held);
    return held != nullptr;
}

// The colour, or none, that a value stands for; false (and color untouched) when it is of another kind.
bool readOptionalColor(const LayerValue& value, std::optional<Color>& color);

} // namespace quartz
