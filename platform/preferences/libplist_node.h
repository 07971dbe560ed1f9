#pragma once

#include "platform/preferences/property_list_value.h"

#include <memory>
#include <optional>
#include <plist/plist.h>
#include <string>

namespace foundation {

// Owns a libplist tree; frees it once.
struct LibplistNodeDeleter {
    void operator()(void* node) const { ::plist_free(node); }
};
using LibplistNode = std::unique_ptr<void, LibplistNodeDeleter>;

// The value a libplist tree holds; none, with a reason, when it holds a kind of value that
// settings have no use for (UIDs of keyed archives), or nests deeper than the depth limit.
std::optional<PropertyListValue> propertyListValueFromNode(plist_t node, std::string* reason);

// A libplist tree for a value; none, with a reason naming the key at fault, when the XML form could
// not carry the value back unchanged: text that is not UTF-8 or holds control characters, a date
// outside the range libplist stores, nesting deeper than the depth limit.
LibplistNode nodeFromPropertyListValue(const PropertyListValue& value, std::string* reason);

} // namespace foundation
