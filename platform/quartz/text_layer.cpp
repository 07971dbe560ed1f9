#include "platform/quartz/text_layer.h"

namespace quartz {

std::shared_ptr<TextLayer> TextLayer::layer() {
    return std::shared_ptr<TextLayer>(new TextLayer());
}

std::optional<LayerValue> TextLayer::valueForKey(std::string_view key) const {
    if (key == "foregroundColor")
        return foregroundColor_;
    if (key == "fontSize")
        return fontSize_;
    return Layer::valueForKey(key);
}

bool TextLayer::setValueForKey(const LayerValue& value, std::string_view key) {
    if (key == "foregroundColor")
        return setIfHolds<Color>(value, [this](Color color) { setForegroundColor(color); });
    if (key == "fontSize")
        return setIfHolds<double>(value, [this](double size) { setFontSize(size); });
    return Layer::setValueForKey(value, key);
}

} // namespace quartz
