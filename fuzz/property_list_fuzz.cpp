// Reads arbitrary bytes as a property list, XML or binary. A dictionary that comes out is written
// back as XML and must read back as the same dictionary (dates aside, which XML keeps to the second).
#include "platform/preferences/property_list_reader.h"
#include "platform/preferences/property_list_writer.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace foundation;

// Reals that are not numbers never equal themselves, and XML keeps dates to the whole second.
bool isComparable(const PropertyListValue& value) {
    if (auto real = value.real())
        return !std::isnan(*real);
    if (auto date = value.date())
        return date->secondsSinceReferenceDate == std::floor(date->secondsSinceReferenceDate);
    if (auto array = value.array()) {
        for (const auto& item : *array)
            if (!isComparable(item))
                return false;
    }
    if (auto dictionary = value.dictionary()) {
        for (const auto& [key, item] : *dictionary)
            if (!isComparable(item))
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto value = propertyListWithData(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!value || !value->dictionary())
        return 0;
    auto xml = xmlDataWithPropertyList(*value);
    if (!xml)
        return 0; // text that XML cannot carry, refused by the writer
    auto again = propertyListWithData(*xml);
    if (!again)
        std::abort(); // what was written must read back
    if (isComparable(*value) && !(*again == *value))
        std::abort();
    return 0;
}
