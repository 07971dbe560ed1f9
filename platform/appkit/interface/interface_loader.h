#pragma once

// Interface files: JSON documents that create objects by class name and wire them together and
// to the object the file is loaded for.
//
// {
//   "objects": [
//     {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 480, 240], "title": "Check in"},
//      "properties": {"contentView": {"ref": "content"}}},
//     {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 480, 240]},
//      "subviews": ["label", "button"]},
//     {"id": "button", "class": "FlatButton", "attributes": {"title": "Launch"},
//      "properties": {"cornerRadius": 6, "momentary": false, "fillColor": [1, 0.5, 0, 1],
//                     "textColor": "white", "icon": "check.png", "customTooltip": "Starts the manager"}},
//     ...
//   ],
//   "outlets": [{"object": "owner", "key": "window", "destination": "window"}],
//   "actions": [{"object": "button", "action": "launch:", "target": "owner"}]
// }
//
// - "id": a unique non-empty string. "owner" is reserved: it names the object the file is loaded
//   for (the application, or a view controller loading its own view), which is wired, never created.
// - "class": a class registered in the runtime. Each object is made by the class's factory, then
//   initWithCoder reads its "attributes" (the archived attributes, the class's own business).
// - "properties": user-defined properties, set by key once every object exists. The JSON value must
//   fit the property's kind: number, true/false, string, colour ([r, g, b] or [r, g, b, a] in 0…1, or
//   a colour name), rectangle [x, y, width, height], image (the name of a PNG inside the resource
//   folder) or object ({"ref": id}, an object of the file or "owner").
// - "subviews": ids of views of the file, front-most last, each with no other superview.
// - "outlets": sets `key` of `object` to `destination`.
// - "actions": sets the "target" and "action" properties of `object`; the target must respond to
//   the action.
// Then every created object, in document order, gets awakeFromNib (the owner does not).
//
// A file with any fault loads nothing: nothing is wired to the owner, no object awakes, and every
// created object is dropped.

#include "platform/appkit/runtime/object.h"
#include "platform/foundation/data.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace appkit {

struct LoadedInterface {
    // Every object the file created, in document order. The one who loaded the file keeps them:
    // weak references and action targets among them do not.
    std::vector<std::shared_ptr<Object>> topLevelObjects;
    // The ids of topLevelObjects, in the same order.
    std::vector<std::string> ids;

    // The created object of an id; null when the file declares none.
    std::shared_ptr<Object> objectWithId(std::string_view id) const;
};

// Bounds on what a file may ask for. Larger texts are refused before they are parsed.
constexpr std::size_t maximumInterfaceFileSize = 4 * 1024 * 1024;
constexpr std::size_t maximumInterfaceObjects = 10000;
constexpr std::size_t maximumInterfaceConnections = 10000; // outlets, and actions

// Loads a file for `owner` (which may be null when the file never names "owner"). Images come from
// `resourceFolder`, by default the file's own folder. None, with one message naming the file, the
// object and the key at fault in `error`, when the file cannot be read or has any fault.
std::optional<LoadedInterface> loadInterfaceFile(const std::filesystem::path& file,
                                                 std::shared_ptr<Object> owner, std::string* error,
                                                 const std::filesystem::path& resourceFolder = {});

// The same for a text already in memory; `fileName` names it in messages.
std::optional<LoadedInterface> loadInterfaceData(foundation::Data text, std::string_view fileName,
                                                 const std::filesystem::path& resourceFolder,
                                                 std::shared_ptr<Object> owner, std::string* error);

} // namespace appkit
