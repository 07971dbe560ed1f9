#pragma once

#include "platform/appkit/runtime/property_value.h"
#include "platform/foundation/json.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace appkit {

// The one reader of interface-file values, for archived attributes and user-defined properties
// alike: turns JSON into the kind asked for: a number, true or false, a string, a colour
// ([r, g, b(, a)] in 0…1 or a name: white, black, gray, darkGray, clear), a rectangle
// [x, y, w, h], an image by resource name, or {"ref": id} for an object.
class InterfaceValueReader {
public:
    // The object of an id, or null when there is none.
    using ObjectNamed = std::function<std::shared_ptr<Object>(std::string_view id)>;

    // Without objectNamed no reference can be read.
    explicit InterfaceValueReader(std::filesystem::path resourceFolder, ObjectNamed objectNamed = {})
        : resourceFolder_(std::move(resourceFolder)), objectNamed_(std::move(objectNamed)) {}

    // None, with the fault in `error`, when the value is not of the kind or names nothing.
    std::optional<PropertyValue> read(const foundation::JSONValue& value, ValueKind kind, std::string& error);

private:
    std::optional<PropertyValue> readImage(const foundation::JSONValue& value, std::string& error);
    std::optional<PropertyValue> readReference(const foundation::JSONValue& value, std::string& error);

    std::filesystem::path resourceFolder_;
    ObjectNamed objectNamed_;
    // An image named by many properties is read once.
    std::map<std::string, quartz::Image, std::less<>> images_;
};

// Whether a resource name stays inside its folder: relative, without "..", without NUL.
bool isResourceName(std::string_view name);

} // namespace appkit
