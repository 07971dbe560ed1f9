#include "platform/appkit/application/application.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/windows/key_view_loop.h"
#include "platform/appkit/windows/window.h"

namespace appkit {

namespace {

constexpr std::string_view escapeCharacter = "\x1b";
constexpr std::string_view tabCharacter = "\t";
constexpr std::string_view spaceCharacter = " ";
constexpr std::uint64_t shortcutModifiers =
    NSEventModifierFlagCommand | NSEventModifierFlagControl | NSEventModifierFlagOption;
constexpr std::uint64_t keyEquivalentModifiers = shortcutModifiers | NSEventModifierFlagShift;

} // namespace

void Window::makeKeyWindow() {
    key_ = true;
    if (firstResponder())
        viewsNeedDisplay_ = true;
}

void Window::resignKeyWindow() {
    finishKeyPress();
    key_ = false;
    if (firstResponder())
        viewsNeedDisplay_ = true;
}

bool Window::keyDown(std::string_view charactersIgnoringModifiers, std::uint64_t modifierFlags) {
    if (!visible_ || charactersIgnoringModifiers.empty())
        return false;
    std::uint64_t held = modifierFlags & shortcutModifiers;
    if (charactersIgnoringModifiers == tabCharacter && held == 0) {
        selectKeyView(!(modifierFlags & NSEventModifierFlagShift));
        return true;
    }
    if (pressButtonForKey(charactersIgnoringModifiers, modifierFlags))
        return true;
    if (charactersIgnoringModifiers == escapeCharacter && held == 0) {
        performClose();
        return true;
    }
    if (held != NSEventModifierFlagCommand || (modifierFlags & NSEventModifierFlagShift))
        return false;
    if (charactersIgnoringModifiers == "w") {
        performClose();
        return true;
    }
    if (charactersIgnoringModifiers == "q")
        Application::shared()->terminate();
    return false;
}

bool Window::keyUp(std::string_view charactersIgnoringModifiers) {
    if (keyPressedButton_.expired() || charactersIgnoringModifiers != pressingKey_)
        return false;
    finishKeyPress();
    return true;
}

// One key holds one button at a time; a second key meanwhile is answered but presses nothing.
bool Window::pressButtonForKey(std::string_view characters, std::uint64_t modifierFlags) {
    std::uint64_t modifiers = modifierFlags & keyEquivalentModifiers;
    auto button = buttonForKeyEquivalent(contentView_, characters, modifiers);
    if (!button && characters == spaceCharacter && modifiers == 0)
        button = std::dynamic_pointer_cast<Button>(firstResponder());
    if (!button || !button->isEnabled())
        return false;
    if (!keyPressedButton_.expired())
        return true;
    keyPressedButton_ = button;
    pressingKey_ = characters;
    button->beginKeyboardPress();
    return true;
}

void Window::finishKeyPress() {
    auto button = keyPressedButton_.lock();
    keyPressedButton_.reset();
    pressingKey_.clear();
    if (button)
        button->endKeyboardPress();
}

std::shared_ptr<Button> Window::buttonForKeyEquivalent(const std::shared_ptr<View>& view,
                                                       std::string_view characters, std::uint64_t modifiers) {
    if (!view)
        return nullptr;
    if (auto button = std::dynamic_pointer_cast<Button>(view);
        button && button->isEnabled() && button->keyEquivalent() == characters &&
        button->keyEquivalentModifierMask() == modifiers)
        return button;
    for (const auto& subview : view->subviews())
        if (auto button = buttonForKeyEquivalent(subview, characters, modifiers))
            return button;
    return nullptr;
}

std::shared_ptr<View> Window::firstResponder() const {
    auto view = firstResponder_.lock();
    if (view && view->window().get() != this)
        return nullptr; // it left the window
    return view;
}

bool Window::makeFirstResponder(const std::shared_ptr<View>& view) {
    if (view && (view->window().get() != this || !view->acceptsFirstResponder()))
        return false;
    auto previous = firstResponder();
    if (previous == view)
        return true;
    firstResponder_ = view;
    viewsNeedDisplay_ = true;
    for (const auto& changed : {previous, view})
        if (auto* element = dynamic_cast<AccessibilityElement*>(changed.get()))
            accessibilityPostNotification(*element, AccessibilityNotification::focusedChanged);
    return true;
}

void Window::selectNextKeyView() {
    selectKeyView(true);
}

void Window::selectPreviousKeyView() {
    selectKeyView(false);
}

void Window::selectKeyView(bool forward) {
    if (!contentView_)
        return;
    if (auto next = keyViewAfter(keyViewLoop(*contentView_), firstResponder().get(), forward))
        makeFirstResponder(next);
}

} // namespace appkit
