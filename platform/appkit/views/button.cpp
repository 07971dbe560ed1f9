#include "platform/appkit/views/button.h"

#include "platform/appkit/interface/coder.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/attributed_string.h"
#include "platform/appkit/windows/window.h"
#include "platform/foundation/run_loop.h"
#include "platform/quartz/graphics_context.h"
#include "platform/quartz/text_layout.h"

#include <algorithm>

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<Button>("Button", "Control");
});

constexpr quartz::Color accentColor{0.0, 0.48, 1.0, 1.0};
constexpr quartz::Color accentPressedColor{0.0, 0.36, 0.8, 1.0};

std::optional<Button::ButtonType> decodeButtonType(const Coder& coder) {
    auto name = coder.decodeString("buttonType");
    if (!name)
        return std::nullopt;
    if (*name == "momentaryPushIn")
        return Button::ButtonType::momentaryPushIn;
    if (*name == "toggle")
        return Button::ButtonType::toggle;
    coder.fail("\"buttonType\" must be \"momentaryPushIn\" or \"toggle\"");
    return std::nullopt;
}

} // namespace

bool Button::initWithCoder(const Coder& coder) {
    if (!Control::initWithCoder(coder))
        return false;
    if (auto title = coder.decodeString("title"))
        setTitle(*title);
    if (auto image = coder.decodeImage("image"))
        setImage(image);
    if (auto image = coder.decodeImage("alternateImage"))
        setAlternateImage(image);
    if (auto position = coder.decodeNumber("imagePosition")) {
        if (*position < 0 || *position > 8 || *position != static_cast<int>(*position))
            coder.fail("\"imagePosition\" must be a whole number from 0 to 8");
        else
            setImagePosition(static_cast<ImagePosition>(static_cast<int>(*position)));
    }
    if (auto state = coder.decodeNumber("state")) {
        if (*state != -1 && *state != 0 && *state != 1)
            coder.fail("\"state\" must be -1, 0 or 1");
        else
            setState(static_cast<ControlStateValue>(*state));
    }
    if (auto type = decodeButtonType(coder))
        setButtonType(*type);
    if (auto key = coder.decodeString("keyEquivalent"))
        setKeyEquivalent(*key);
    if (auto mask = coder.decodeNumber("keyEquivalentModifierMask")) {
        if (*mask < 0 || *mask > 0xffffffff || *mask != static_cast<std::uint32_t>(*mask))
            coder.fail("\"keyEquivalentModifierMask\" must be a whole number from 0 to 4294967295");
        else
            setKeyEquivalentModifierMask(static_cast<std::uint64_t>(*mask));
    }
    return !coder.error();
}

void Button::setTitle(const std::string& title) {
    bool changed = title != title_;
    title_ = title;
    setNeedsLayout(true);
    setNeedsDisplay();
    if (changed)
        accessibilityPostNotification(*this, AccessibilityNotification::titleChanged);
}

void Button::setEnabled(bool enabled) {
    bool changed = enabled != isEnabled();
    Control::setEnabled(enabled);
    if (changed)
        accessibilityPostNotification(*this, AccessibilityNotification::enabledChanged);
}

void Button::performClick() {
    beginKeyboardPress();
    endKeyboardPress();
}

quartz::Point Button::middleInWindow() const {
    auto frame = convertRectToWindow(bounds());
    return {frame.midX(), frame.midY()};
}

void Button::beginKeyboardPress() {
    mouseDown(Event{Event::Type::leftMouseDown, middleInWindow(), 0, 1, nullptr});
}

void Button::endKeyboardPress() {
    auto keepAlive = shared_from_this(); // the action may close the window that holds the button
    mouseUp(Event{Event::Type::leftMouseUp, middleInWindow(), 0, 1, nullptr});
}

void Button::setKeyEquivalent(const std::string& key) {
    keyEquivalent_ = key;
    setNeedsDisplay(); // the default button has a look of its own
}

bool Button::isAccessibilityFocused() const {
    auto shownIn = window();
    return shownIn && shownIn->isKeyWindow() && shownIn->firstResponder().get() == this;
}

bool Button::accessibilityPerformPress() {
    performClick();
    return true;
}

void Button::setImage(std::optional<quartz::Image> image) {
    image_ = std::move(image);
    setNeedsLayout(true);
    setNeedsDisplay();
}

void Button::setAlternateImage(std::optional<quartz::Image> image) {
    alternateImage_ = std::move(image);
    setNeedsDisplay();
}

void Button::setImagePosition(ImagePosition position) {
    imagePosition_ = position;
    setNeedsDisplay();
}

void Button::setState(ControlStateValue state) {
    state_ = state;
    setNeedsDisplay();
}

Button::~Button() {
    if (highlighted_)
        stopTrackingMouse();
}

void Button::mouseDown(const Event&) {
    if (!isEnabled())
        return;
    highlighted_ = true;
    // Until the release, timers of the default mode wait, as in the frameworks' tracking loop.
    foundation::RunLoop::main().setCurrentMode(foundation::RunLoopMode::eventTracking);
    setNeedsDisplay();
}

void Button::stopTrackingMouse() {
    foundation::RunLoop::main().setCurrentMode(foundation::RunLoopMode::defaultMode);
}

void Button::mouseUp(const Event& event) {
    if (!highlighted_)
        return;
    highlighted_ = false;
    stopTrackingMouse();
    setNeedsDisplay();
    if (!bounds().contains(convertPointFromWindow(event.locationInWindow)))
        return;
    if (buttonType_ == ButtonType::toggle)
        setState(state_ == NSControlStateValueOn ? NSControlStateValueOff : NSControlStateValueOn);
    auto keepAlive = shared_from_this(); // the action may close the window that holds the button
    sendAction(action(), target());
}

// The default button wears the accent colour, as the frameworks draw it.
void Button::drawRect(quartz::Rect) {
    auto* context = quartz::GraphicsContext::current();
    if (!context)
        return;
    quartz::Rect bezel{0.5, 0.5, bounds().width() - 1, bounds().height() - 1};
    double radius = std::min(bezelCornerRadius, std::min(bezel.width(), bezel.height()) / 2);
    bool down = highlighted_ || state_ == NSControlStateValueOn;
    quartz::Color fill = isDefaultButton() && isEnabled() ? (down ? accentPressedColor : accentColor)
                                                          : quartz::Color::gray(down ? 0.82 : 1.0);
    context->fillRoundedRect(bezel, radius, fill);
    context->strokeRoundedRect(bezel, radius, quartz::Color::gray(0, 0.25), 1);
    quartz::Color title = !isEnabled()        ? quartz::Color::gray(0, 0.35)
                          : isDefaultButton() ? quartz::Color::whiteColor()
                                              : quartz::Color::blackColor();
    drawTitle(*context, title);
}

void Button::drawTitle(quartz::GraphicsContext& context, quartz::Color color) const {
    AttributedString string;
    string.string = title_;
    auto style = textStyleOf(string, font().value_or(Font::systemFontOfSize(Font::systemFontSize)), false);
    style.color = color;
    quartz::Size size = quartz::sizeOfText(title_, style);
    quartz::Rect area{(bounds().width() - size.width) / 2, (bounds().height() - size.height) / 2, size.width,
                      size.height};
    quartz::drawText(context, title_, style, area);
}

} // namespace appkit
