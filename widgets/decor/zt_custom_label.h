#pragma once

#include "platform/appkit/views/text_field.h"

// A label that restyles its text whenever its string is set: line height, line spacing,
// alignment, letter spacing (0.4 points tighter unless told otherwise) and an optional shadow.
// Property changes show at the next restyling.
class ZtCustomLabel : public appkit::TextField {
public:
    static constexpr double defaultKerning = -0.4;

    void updateString();
    void setStringValue(const std::string& string) override;
    void awakeFromNib() override;

    bool enableLineHeight() const { return enableLineHeight_; }
    void setEnableLineHeight(bool enable) { enableLineHeight_ = enable; }
    float lineHeight() const { return lineHeight_; }
    void setLineHeight(float height) { lineHeight_ = height; }
    bool enableLineSpacing() const { return enableLineSpacing_; }
    void setEnableLineSpacing(bool enable) { enableLineSpacing_ = enable; }
    float lineSpacing() const { return lineSpacing_; }
    void setLineSpacing(float spacing) { lineSpacing_ = spacing; }
    bool enableCharacterSpacing() const { return enableCharacterSpacing_; }
    void setEnableCharacterSpacing(bool enable) { enableCharacterSpacing_ = enable; }
    float characterSpacing() const { return characterSpacing_; }
    void setCharacterSpacing(float spacing) { characterSpacing_ = spacing; }
    bool isCenter() const { return isCenter_; }
    void setIsCenter(bool center) { isCenter_ = center; }
    bool isJustified() const { return isJustified_; }
    void setIsJustified(bool justified) { isJustified_ = justified; }
    bool isRight() const { return isRight_; }
    void setIsRight(bool right) { isRight_ = right; }
    bool isShadow() const { return isShadow_; }
    void setIsShadow(bool shadow) { isShadow_ = shadow; }

private:
    appkit::ParagraphStyle paragraphStyle() const;

    bool enableLineHeight_ = false;
    float lineHeight_ = 0;
    bool enableLineSpacing_ = false;
    float lineSpacing_ = 0;
    bool enableCharacterSpacing_ = false;
    float characterSpacing_ = 0;
    bool isCenter_ = false;
    bool isJustified_ = false;
    bool isRight_ = false;
    bool isShadow_ = false;
};
