#pragma once

#include "platform/appkit/interface/interface_values.h"
#include "platform/foundation/json.h"
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
// the coder remembers, so that the loader can refuse the file and name the key. Values are read
// as user-defined properties are, by the file's one InterfaceValueReader.
class Coder {
public:
    Coder(const foundation::JSONValue& attributes, std::filesystem::path resourceFolder)
        : attributes_(attributes), shared_(std::make_shared<Shared>(std::move(resourceFolder))) {}

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
    const std::optional<std::string>& error() const { return shared_->error; }
    void fail(std::string message) const {
        if (!shared_->error)
            shared_->error = std::move(message);
    }

private:
    // What nested coders share with the one they came from.
    struct Shared {
        explicit Shared(std::filesystem::path resourceFolder) : reader(std::move(resourceFolder)) {}
        InterfaceValueReader reader;
        std::optional<std::string> error;
    };

    Coder(const foundation::JSONValue& attributes, std::shared_ptr<Shared> shared)
        : attributes_(attributes), shared_(std::move(shared)) {}

    const foundation::JSONValue* find(std::string_view key) const;
    template <typename T> std::optional<T> decode(std::string_view key, ValueKind kind) const;

    const foundation::JSONValue& attributes_;
    std::shared_ptr<Shared> shared_;
};

} // namespace appkit
