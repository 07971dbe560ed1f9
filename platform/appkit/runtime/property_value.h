#pragma once

#include "platform/appkit/runtime/object.h"
#include "platform/quartz/color.h"
#include "platform/quartz/geometry.h"
#include "platform/quartz/image.h"

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

namespace appkit {

// A value set by key: from interface files (numbers, Booleans, strings, colours, rectangles,
// images, references to other objects) or from code. The order of the kinds follows the variant.
using PropertyValue = std::variant<bool, double, std::string, quartz::Color, quartz::Rect, quartz::Image,
                                   std::shared_ptr<Object>>;

enum class ValueKind { boolean, number, string, color, rect, image, object };

const char* describe(ValueKind kind);
ValueKind kindOf(const PropertyValue& value);

// How a property's C++ type is carried in a PropertyValue. Numbers of any arithmetic type travel
// as double; optional values may be set but never read back empty.
template <typename T> struct PropertyType;

template <> struct PropertyType<bool> {
    static constexpr ValueKind kind = ValueKind::boolean;
    static bool from(const PropertyValue& value) { return std::get<bool>(value); }
    static PropertyValue to(bool value) { return value; }
};

template <typename T>
requires(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>) struct PropertyType<T> {
    static constexpr ValueKind kind = ValueKind::number;
    static T from(const PropertyValue& value) { return static_cast<T>(std::get<double>(value)); }
    static PropertyValue to(T value) { return static_cast<double>(value); }
};

template <> struct PropertyType<std::string> {
    static constexpr ValueKind kind = ValueKind::string;
    static std::string from(const PropertyValue& value) { return std::get<std::string>(value); }
    static PropertyValue to(const std::string& value) { return value; }
};

template <> struct PropertyType<quartz::Color> {
    static constexpr ValueKind kind = ValueKind::color;
    static quartz::Color from(const PropertyValue& value) { return std::get<quartz::Color>(value); }
    static PropertyValue to(const quartz::Color& value) { return value; }
};

template <> struct PropertyType<quartz::Rect> {
    static constexpr ValueKind kind = ValueKind::rect;
    static quartz::Rect from(const PropertyValue& value) { return std::get<quartz::Rect>(value); }
    static PropertyValue to(const quartz::Rect& value) { return value; }
};

template <typename T> struct PropertyType<std::optional<T>> {
    static constexpr ValueKind kind = PropertyType<T>::kind;
    static std::optional<T> from(const PropertyValue& value) { return PropertyType<T>::from(value); }
    static std::optional<PropertyValue> to(const std::optional<T>& value) {
        return value ? std::optional(PropertyType<T>::to(*value)) : std::nullopt;
    }
};

template <typename T>
requires std::is_base_of_v<Object, T>
struct PropertyType<std::shared_ptr<T>> {
    static constexpr ValueKind kind = ValueKind::object;
    static std::shared_ptr<T> from(const PropertyValue& value) {
        return std::dynamic_pointer_cast<T>(std::get<std::shared_ptr<Object>>(value));
    }
    static PropertyValue to(const std::shared_ptr<T>& value) { return std::shared_ptr<Object>(value); }
};

} // namespace appkit
