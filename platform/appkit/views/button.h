#pragma once

#include "platform/appkit/accessibility/accessibility_element.h"
#include "platform/appkit/views/control.h"
#include "platform/quartz/graphics_context.h"
#include "platform/quartz/image.h"

#include <cstdint>
#include <optional>
#include <string>

namespace appkit {

enum class ImagePosition {
    NSNoImage = 0,
    NSImageOnly = 1,
    NSImageLeft = 2,
    NSImageRight = 3,
    NSImageBelow = 4,
    NSImageAbove = 5,
    NSImageOverlaps = 6,
    NSImageLeading = 7,
    NSImageTrailing = 8,
};

using ControlStateValue = int;
constexpr ControlStateValue NSControlStateValueMixed = -1;
constexpr ControlStateValue NSControlStateValueOff = 0;
constexpr ControlStateValue NSControlStateValueOn = 1;

// A push or toggle button. A button is flipped. Its plain click handling (for buttons that are not
// custom-drawn): the action is sent when a press is released inside the button, and a toggle
// button flips its state first. From the press to the release the main run loop runs in the
// event-tracking mode.
class Button : public Control, public AccessibilityElement {
public:
    enum class ButtonType { momentaryPushIn, toggle };

    ~Button() override;

    // Reads "title", "font", "image" and "alternateImage" (resource names), "imagePosition" (a
    // number), "state", "enabled" and "buttonType" ("momentaryPushIn" or "toggle"), through the
    // setters, so a subclass's overrides see them.
    bool initWithCoder(const Coder& coder) override;
    bool isFlipped() const override { return true; }

    const std::string& title() const { return title_; }
    virtual void setTitle(const std::string& title);
    const std::optional<quartz::Image>& image() const { return image_; }
    virtual void setImage(std::optional<quartz::Image> image);
    const std::optional<quartz::Image>& alternateImage() const { return alternateImage_; }
    virtual void setAlternateImage(std::optional<quartz::Image> image);
    ImagePosition imagePosition() const { return imagePosition_; }
    virtual void setImagePosition(ImagePosition position);
    ControlStateValue state() const { return state_; }
    virtual void setState(ControlStateValue state);
    ButtonType buttonType() const { return buttonType_; }
    void setButtonType(ButtonType type) { buttonType_ = type; }
    void setEnabled(bool enabled) override;
    // A press and a release in the middle of the button, handled as a click is.
    void performClick();
    // The key that presses the button ("\r" for Return, which makes it the window's default button)
    // with the modifier flags held, read from "keyEquivalent" and "keyEquivalentModifierMask".
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(const std::string& key);
    std::uint64_t keyEquivalentModifierMask() const { return keyEquivalentModifierMask_; }
    void setKeyEquivalentModifierMask(std::uint64_t mask) { keyEquivalentModifierMask_ = mask; }
    // A key's press and release: the click's own path in the middle of the button, so the press
    // look lasts as long as the key is held.
    void beginKeyboardPress();
    void endKeyboardPress();
    bool acceptsFirstResponder() const override { return isEnabled(); }
    // A button drawn by its layer has that layer's corners; the plain one its bezel's.
    double focusRingCornerRadius() const override {
        return layer() && layer()->cornerRadius() > 0 ? layer()->cornerRadius() : bezelCornerRadius;
    }

    void mouseDown(const Event& event) override;
    void mouseUp(const Event& event) override;
    // The plain look: a rounded bezel, darker while pressed or on, and the title in its centre.
    void drawRect(quartz::Rect dirtyRect) override;

    static constexpr double bezelCornerRadius = 5;

    // Screen readers see a push button named by its title, or by its help when it has none.
    AccessibilityRole accessibilityRole() const override { return AccessibilityRole::button; }
    std::string accessibilityLabel() const override { return title_.empty() ? accessibilityHelp() : title_; }
    bool isAccessibilityEnabled() const override { return isEnabled(); }
    bool isAccessibilityFocusable() const override { return true; }
    bool isAccessibilityFocused() const override;
    bool accessibilityPerformPress() override;

private:
    void stopTrackingMouse();
    void drawTitle(quartz::GraphicsContext& context, quartz::Color color) const;
    bool isDefaultButton() const { return keyEquivalent_ == "\r"; }
    quartz::Point middleInWindow() const;

    std::string title_;
    std::optional<quartz::Image> image_;
    std::optional<quartz::Image> alternateImage_;
    ImagePosition imagePosition_ = ImagePosition::NSNoImage;
    ControlStateValue state_ = NSControlStateValueOff;
    ButtonType buttonType_ = ButtonType::momentaryPushIn;
    bool highlighted_ = false;
    std::string keyEquivalent_;
    std::uint64_t keyEquivalentModifierMask_ = 0;
};

} // namespace appkit
