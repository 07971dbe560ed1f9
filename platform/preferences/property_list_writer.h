#pragma once

#include "platform/preferences/property_list_value.h"

#include <optional>
#include <string>

namespace foundation {

// The value as an XML property list, which propertyListWithData reads back unchanged but for
// dates, which XML keeps to the whole second; none, with a message naming the key at fault, for
// what XML cannot carry (see nodeFromPropertyListValue).
std::optional<std::string> xmlDataWithPropertyList(const PropertyListValue& value,
                                                   std::string* error = nullptr);

} // namespace foundation
