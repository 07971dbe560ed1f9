#include "platform/appkit/views/font.h"

#include "platform/appkit/interface/coder.h"

namespace appkit {

std::optional<Font> Font::decode(const Coder& coder, const char* key) {
    auto attributes = coder.decodeObject(key);
    if (!attributes)
        return std::nullopt;
    auto size = attributes->decodeNumber("size");
    if (size && *size <= 0) {
        coder.fail("\"" + std::string(key) + "\" needs a size above 0");
        return std::nullopt;
    }
    return Font(attributes->decodeString("name").value_or(systemFamily), size.value_or(systemFontSize));
}

} // namespace appkit
