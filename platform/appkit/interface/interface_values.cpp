#include "platform/appkit/interface/interface_values.h"

#include "platform/appkit/interface/interface_document.h"

namespace appkit {

namespace {

using foundation::JSONValue;

std::optional<quartz::Color> namedColor(std::string_view name) {
    if (name == "white")
        return quartz::Color::whiteColor();
    if (name == "black")
        return quartz::Color::blackColor();
    if (name == "gray")
        return quartz::Color::grayColor();
    if (name == "darkGray")
        return quartz::Color::darkGrayColor();
    if (name == "clear")
        return quartz::Color::clearColor();
    return std::nullopt;
}

bool isUnitNumber(const JSONValue& value) {
    return value.is_number() && value.get<double>() >= 0 && value.get<double>() <= 1;
}

std::optional<quartz::Color> colorFromJSON(const JSONValue& value) {
    if (value.is_string())
        return namedColor(value.get_ref<const std::string&>());
    if (!value.is_array() || value.size() < 3 || value.size() > 4)
        return std::nullopt;
    for (const auto& component : value) {
        if (!isUnitNumber(component))
            return std::nullopt;
    }
    double alpha = value.size() == 4 ? value[3].get<double>() : 1.0;
    return quartz::Color(value[0].get<double>(), value[1].get<double>(), value[2].get<double>(), alpha);
}

std::optional<quartz::Rect> rectFromJSON(const JSONValue& value) {
    if (!value.is_array() || value.size() != 4)
        return std::nullopt;
    for (const auto& component : value) {
        if (!component.is_number())
            return std::nullopt;
    }
    return quartz::Rect(value[0].get<double>(), value[1].get<double>(), value[2].get<double>(),
                        value[3].get<double>());
}

std::string expected(ValueKind kind) {
    switch (kind) {
    case ValueKind::color:
        return "a colour ([r, g, b] or [r, g, b, a] in 0…1, or a colour name)";
    case ValueKind::rect:
        return "a rectangle [x, y, width, height]";
    case ValueKind::image:
        return "an image (the name of a PNG in the resource folder)";
    case ValueKind::object:
        return "an object ({\"ref\": id})";
    default:
        return describe(kind);
    }
}

std::optional<PropertyValue> plainValue(const JSONValue& value, ValueKind kind) {
    switch (kind) {
    case ValueKind::boolean:
        return value.is_boolean() ? std::optional<PropertyValue>(value.get<bool>()) : std::nullopt;
    case ValueKind::number:
        return value.is_number() ? std::optional<PropertyValue>(value.get<double>()) : std::nullopt;
    case ValueKind::string:
        return value.is_string() ? std::optional<PropertyValue>(value.get<std::string>()) : std::nullopt;
    case ValueKind::color:
        if (auto color = colorFromJSON(value))
            return *color;
        return std::nullopt;
    case ValueKind::rect:
        if (auto rect = rectFromJSON(value))
            return *rect;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

} // namespace

bool isResourceName(std::string_view name) {
    std::filesystem::path path(name);
    if (name.empty() || name.find('\0') != std::string_view::npos || path.has_root_path())
        return false;
    for (const auto& part : path) {
        if (part == "..")
            return false;
    }
    return true;
}

std::optional<PropertyValue> InterfaceValueReader::read(const JSONValue& value, ValueKind kind,
                                                        std::string& error) {
    std::optional<PropertyValue> converted;
    if (kind == ValueKind::image)
        converted = readImage(value, error);
    else if (kind == ValueKind::object)
        converted = readReference(value, error);
    else
        converted = plainValue(value, kind);
    if (!converted && error.empty())
        error = "takes " + expected(kind) + ", not " + quoteJSON(value);
    return converted;
}

std::optional<PropertyValue> InterfaceValueReader::readImage(const JSONValue& value, std::string& error) {
    if (!value.is_string())
        return std::nullopt;
    const auto& name = value.get_ref<const std::string&>();
    if (!isResourceName(name)) {
        error = "image " + quoteJSON(value) + " must be named inside the resource folder";
        return std::nullopt;
    }
    if (auto cached = images_.find(name); cached != images_.end())
        return cached->second;
    auto image = quartz::Image::imageWithContentsOfFile((resourceFolder_ / name).string());
    if (!image) {
        error = "image " + quoteJSON(value) + " is not a readable PNG in " + resourceFolder_.string();
        return std::nullopt;
    }
    images_.emplace(name, *image);
    return *image;
}

std::optional<PropertyValue> InterfaceValueReader::readReference(const JSONValue& value, std::string& error) {
    if (!objectNamed_ || !value.is_object() || value.size() != 1 || !value.contains("ref") ||
        !value["ref"].is_string())
        return std::nullopt;
    const JSONValue& id = value["ref"];
    auto object = objectNamed_(id.get_ref<const std::string&>());
    if (!object) {
        error = "reference to " + quoteJSON(id) + ": no such object";
        return std::nullopt;
    }
    return object;
}

} // namespace appkit
