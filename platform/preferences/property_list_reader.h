#pragma once

#include "platform/preferences/property_list_value.h"

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Property lists in XML or binary form, read through libplist. Nothing here prints: a failure gives
// no value and, when asked for, a message saying what was wrong (and with which file).

// The value the bytes hold; none when they are not a property list, or go past the limits of
// property_list_limits.h.
std::optional<PropertyListValue> propertyListWithData(std::string_view bytes, std::string* error = nullptr);

// The counterpart of NSDictionary's dictionaryWithContentsOfFile: none when the file is missing,
// unreadable, not a regular file, larger than maximumPropertyListFileSize, not a property list, or
// its root is not a dictionary.
std::optional<PropertyListDictionary> dictionaryWithContentsOfFile(const std::string& path,
                                                                   std::string* error = nullptr);

} // namespace foundation
