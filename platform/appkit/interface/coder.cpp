#include "platform/appkit/interface/coder.h"

namespace appkit {

namespace {

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

bool isUnitNumber(const foundation::JSONValue& value) {
    return value.is_number() && value.get<double>() >= 0 && value.get<double>() <= 1;
}

} // namespace

std::optional<quartz::Color> colorFromJSON(const foundation::JSONValue& value) {
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

std::optional<quartz::Rect> rectFromJSON(const foundation::JSONValue& value) {
    if (!value.is_array() || value.size() != 4)
        return std::nullopt;
    for (const auto& component : value) {
        if (!component.is_number())
            return std::nullopt;
    }
    return quartz::Rect(value[0].get<double>(), value[1].get<double>(), value[2].get<double>(),
                        value[3].get<double>());
}

const foundation::JSONValue* Coder::find(std::string_view key) const {
    if (!attributes_.is_object())
        return nullptr;
    auto found = attributes_.find(std::string(key));
    return found == attributes_.end() ? nullptr : &*found;
}

std::optional<double> Coder::decodeNumber(std::string_view key) const {
    const auto* value = find(key);
    if (value == nullptr)
        return std::nullopt;
    if (!value->is_number()) {
        fail("\"" + std::string(key) + "\" must be a number");
        return std::nullopt;
    }
    return value->get<double>();
}

std::optional<bool> Coder::decodeBool(std::string_view key) const {
    const auto* value = find(key);
    if (value == nullptr)
        return std::nullopt;
    if (!value->is_boolean()) {
        fail("\"" + std::string(key) + "\" must be true or false");
        return std::nullopt;
    }
    return value->get<bool>();
}

std::optional<std::string> Coder::decodeString(std::string_view key) const {
    const auto* value = find(key);
    if (value == nullptr)
        return std::nullopt;
    if (!value->is_string()) {
        fail("\"" + std::string(key) + "\" must be a string");
        return std::nullopt;
    }
    return value->get<std::string>();
}

std::optional<quartz::Rect> Coder::decodeRect(std::string_view key) const {
    const auto* value = find(key);
    if (value == nullptr)
        return std::nullopt;
    auto rect = rectFromJSON(*value);
    if (!rect)
        fail("\"" + std::string(key) + "\" must be a rectangle [x, y, width, height]");
    return rect;
}

std::optional<quartz::Image> Coder::decodeImage(std::string_view key) const {
    auto name = decodeString(key);
    if (!name)
        return std::nullopt;
    if (!isResourceName(*name)) {
        fail("\"" + std::string(key) + "\" must name a resource inside the resource folder");
        return std::nullopt;
    }
    auto path = resourceFolder_ / *name;
    auto image = quartz::Image::imageWithContentsOfFile(path.string());
    if (!image)
        fail("\"" + std::string(key) + "\": no image at " + path.string());
    return image;
}

std::optional<Coder> Coder::decodeObject(std::string_view key) const {
    const auto* value = find(key);
    if (value == nullptr)
        return std::nullopt;
    if (!value->is_object()) {
        fail("\"" + std::string(key) + "\" must be an object");
        return std::nullopt;
    }
    return Coder(*value, *this);
}

} // namespace appkit
