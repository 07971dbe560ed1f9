#include "platform/quartz/text_layout.h"

namespace quartz {

// Placeholder until the Pango layout lands.
Size sizeOfText(const std::string&, const TextStyle&, std::optional<double>) {
    return {};
}

void drawText(GraphicsContext&, const std::string&, const TextStyle&, Rect) {}

} // namespace quartz
