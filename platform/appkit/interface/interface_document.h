#pragma once

#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/foundation/json.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace appkit {

// One object of an interface file as written. Its JSON values stay in the parsed text, which
// must outlive the description.
struct InterfaceObjectDescription {
    std::string id;
    std::string className;
    const ClassInfo* classInfo = nullptr;
    const foundation::JSONValue* attributes = nullptr; // a JSON object, or null when none
    const foundation::JSONValue* properties = nullptr; // a JSON object, or null when none
    std::vector<std::string> subviews;
};

struct InterfaceOutlet {
    std::string object;
    std::string key;
    std::string destination;
};

struct InterfaceAction {
    std::string object;
    std::string action;
    std::string target;
};

// An interface file checked for its shape: members of the right JSON types, unique ids, registered
// classes, references to declared ids (or the owner), and subviews that form trees. What needs the
// created objects (property kinds, views, actions) is checked by the loader.
struct InterfaceDocument {
    static constexpr std::size_t maximumObjects = maximumInterfaceObjects;
    static constexpr std::size_t maximumConnections = maximumInterfaceConnections;
    // The object the file is loaded for: named by the file, never declared in it.
    static constexpr std::string_view ownerId = "owner";

    std::vector<InterfaceObjectDescription> objects;
    std::vector<InterfaceOutlet> outlets;
    std::vector<InterfaceAction> actions;

    std::map<std::string, std::size_t, std::less<>> indexById;

    // The index of a declared object; none for the owner and for unknown ids.
    std::optional<std::size_t> indexOf(std::string_view id) const;
};

// The document of a parsed interface file; none with the fault in `error` (without the file name).
std::optional<InterfaceDocument> readInterfaceDocument(const foundation::JSONValue& root, std::string& error);

// How messages name an object: `object "button" (FlatButton)`.
std::string describeObject(std::string_view id, std::string_view className);
// A JSON value as a message quotes it, shortened when long.
std::string quoteJSON(const foundation::JSONValue& value);

} // namespace appkit
