#pragma once

#include "platform/quartz/layer.h"

#include <string>

namespace quartz {

// A layer that shows a string in one font, size and colour.
class TextLayer : public Layer {
public:
    enum class AlignmentMode { natural, left, right, center, justified };

    static std::shared_ptr<TextLayer> layer();

    const std::string& string() const { return string_; }
    void setString(std::string string) { change(string_, std::move(string)); }
    // A font family name; empty for the default sans font.
    const std::string& font() const { return font_; }
    void setFont(std::string font) { change(font_, std::move(font)); }
    double fontSize() const { return fontSize_; }
    void setFontSize(double size) { change(fontSize_, size); }
    Color foregroundColor() const { return foregroundColor_; }
    void setForegroundColor(Color color) { change(foregroundColor_, color); }
    AlignmentMode alignmentMode() const { return alignmentMode_; }
    void setAlignmentMode(AlignmentMode mode) { change(alignmentMode_, mode); }
    bool wrapped() const { return wrapped_; }
    void setWrapped(bool wrapped) { change(wrapped_, wrapped); }

    // Adds "foregroundColor" and "fontSize".
    std::optional<LayerValue> valueForKey(std::string_view key) const override;
    bool setValueForKey(const LayerValue& value, std::string_view key) override;

protected:
    TextLayer() = default;

private:
    std::string string_;
    std::string font_;
    double fontSize_ = 36;
    Color foregroundColor_ = Color::whiteColor();
    AlignmentMode alignmentMode_ = AlignmentMode::natural;
    bool wrapped_ = false;
};

} // namespace quartz
