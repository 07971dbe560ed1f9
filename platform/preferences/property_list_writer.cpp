#include "platform/preferences/property_list_writer.h"

#include "platform/preferences/libplist_node.h"

namespace foundation {

std::optional<std::string> xmlDataWithPropertyList(const PropertyListValue& value, std::string* error) {
    LibplistNode root = nodeFromPropertyListValue(value, error);
    if (!root)
        return std::nullopt;
    char* xml = nullptr;
    std::uint32_t length = 0;
    ::plist_to_xml(root.get(), &xml, &length);
    if (xml == nullptr) {
        if (error)
            *error = "libplist could not write the property list";
        return std::nullopt;
    }
    std::string text(xml, length);
    ::plist_to_xml_free(xml);
    return text;
}

} // namespace foundation
