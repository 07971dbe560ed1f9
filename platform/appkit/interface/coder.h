#pragma once

#include "platform/foundation/json.h"
#include "platform/quartz/color.h"
#include "platform/quartz/geometry.h"
#include "platform/quartz/image.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace appkit {

// The archived attributes of one object in an interface file, read by the class's own
// initWithCoder. A missing attribute reads as none; a present one of the wrong type is an error
// the coder remembers, so that the loader can refuse the file and name the key.
class Coder {
public:
    Coder(const foundation::JSONValue& attributes, std::filesystem::path resourceFolder)
        : attributes_(attributes), resourceFolder_(std::move(resourceFolder)),
          error_(std::make_shared<std::optional<std::string>>()) {}

    std::optional<double> decodeNumber(std::string_view key) const;
    std::optional<bool> decodeBool(std::string_view key) const;
    std::optional<std::string> decodeString(std::string_view key) const;
    // [x, y, width, height]
    std::optional<quartz::Rect> decodeRect(std::string_view key) const;
    // The PNG image named by the attribute, inside the interface file's resource folder.
    std::optional<quartz::Image> decodeImage(std::string_view key) const;
    // The attributes of an object-valued attribute, e.g. a font's; errors go to this coder.
    std::optional<Coder> decodeObject(std::string_view key) const;

    // The first attribute found of the wrong type, if any.
    const std::optional<std::string>& error() const { return *error_; }
    void fail(std::string message) const {
        if (!*error_)
            *error_ = std::move(message);
    }

private:
    const foundation::JSONValue* find(std::string_view key) const;

    Coder(const foundation::JSONValue& attributes, const Coder& parent)
        : attributes_(attributes), resourceFolder_(parent.resourceFolder_), error_(parent.error_) {}

    const foundation::JSONValue& attributes_;
    std::filesystem::path resourceFolder_;
    std::shared_ptr<std::optional<std::string>> error_; // shared with nested coders
};

// Whether a resource name stays inside its folder: relative, without "..", without NUL.
bool isResourceName(std::string_view name);

// Typed values of interface files, shared by archived attributes and user-defined properties.
std::optional<quartz::Color> colorFromJSON(const foundation::JSONValue& value);
std::optional<quartz::Rect> rectFromJSON(const foundation::JSONValue& value);

} // namespace appkit
