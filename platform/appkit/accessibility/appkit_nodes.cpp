#include "platform/appkit/accessibility/appkit_nodes.h"

#include "platform/appkit/accessibility/accessibility_element.h"
#include "platform/appkit/application/application.h"
#include "platform/appkit/views/text_field.h"
#include "platform/appkit/views/view.h"
#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_backend.h"
#include "platform/foundation/timer.h"

#include <cmath>

namespace appkit {

namespace {

// A rectangle in a window's coordinates (points, origin at the bottom left) on the screen. Where
// the back end does not say where the screen is, the window's top left stands for its corner.
ScreenRect onScreen(const Window& window, quartz::Rect rect) {
    double scale = window.backingScaleFactor();
    double left = 0;
    double top = 0;
    if (auto screen = window.backend() ? window.backend()->screenFrameInWindow() : std::nullopt) {
        left = -screen->minX();
        top = screen->maxY() - window.frame().height();
    }
    double yFromTop = top + window.frame().height() - rect.maxY();
    return {static_cast<int>(std::lround((left + rect.minX()) * scale)),
            static_cast<int>(std::lround(yFromTop * scale)),
            static_cast<int>(std::lround(rect.width() * scale)),
            static_cast<int>(std::lround(rect.height() * scale))};
}

class ApplicationNode final : public AccessibleNode {
public:
    explicit ApplicationNode(std::string programName) : programName_(std::move(programName)) {}
    const void* identity() const override { return Application::shared().get(); }
    NodeRole role() const override { return NodeRole::application; }
    std::string name() const override { return programName_; }
    NodeStates states() const override { return {}; }
    std::vector<std::unique_ptr<AccessibleNode>> children() const override {
        std::vector<std::unique_ptr<AccessibleNode>> nodes;
        for (const auto& window : Application::shared()->windows())
            nodes.push_back(windowNode(window));
        return nodes;
    }

private:
    std::string programName_;
};

class WindowNode final : public AccessibleNode {
public:
    explicit WindowNode(const std::shared_ptr<Window>& window) : window_(window), identity_(window.get()) {}
    const void* identity() const override { return identity_; }
    bool exists() const override { return !window_.expired(); }
    NodeRole role() const override { return NodeRole::frame; }
    std::string name() const override {
        auto window = window_.lock();
        return window ? window->title() : std::string();
    }
    NodeStates states() const override {
        auto window = window_.lock();
        bool shown = window && window->isVisible();
        return {.enabled = true,
                .focusable = false,
                .focused = false,
                .showing = shown,
                .active = shown && window->isKeyWindow()};
    }
    std::optional<ScreenRect> frameOnScreen() const override {
        auto window = window_.lock();
        if (!window)
            return std::nullopt;
        return onScreen(*window, {0, 0, window->frame().width(), window->frame().height()});
    }
    std::vector<std::unique_ptr<AccessibleNode>> children() const override {
        std::vector<std::unique_ptr<AccessibleNode>> nodes;
        auto window = window_.lock();
        if (!window)
            return nodes;
        if (window->contentView())
            nodes.push_back(viewNode(window->contentView()));
        for (const auto& popover : window->popovers())
            nodes.push_back(popoverNode(popover));
        return nodes;
    }

private:
    std::weak_ptr<Window> window_;
    const void* identity_;
};

class ViewNode final : public AccessibleNode {
public:
    explicit ViewNode(const std::shared_ptr<View>& view) : view_(view), identity_(view.get()) {}
    const void* identity() const override { return identity_; }
    bool exists() const override { return !view_.expired(); }
    NodeRole role() const override {
        auto element = elementOf(view_.lock());
        if (!element)
            return NodeRole::panel;
        switch (element->accessibilityRole()) {
        case AccessibilityRole::staticText:
            return NodeRole::label;
        case AccessibilityRole::button:
            return NodeRole::pushButton;
        case AccessibilityRole::group:
            break;
        }
        return NodeRole::panel;
    }
    std::string name() const override {
        auto element = elementOf(view_.lock());
        return element ? element->accessibilityLabel() : std::string();
    }
    std::string description() const override {
        auto element = elementOf(view_.lock());
        return element ? element->accessibilityHelp() : std::string();
    }
    NodeStates states() const override {
        auto view = view_.lock();
        auto element = elementOf(view);
        auto window = view ? view->window() : nullptr;
        NodeStates states{.showing = window && window->isVisible()};
        if (element) {
            states.enabled = element->isAccessibilityEnabled();
            states.focusable = element->isAccessibilityFocusable();
            states.focused = element->isAccessibilityFocused();
        }
        return states;
    }
    std::optional<ScreenRect> frameOnScreen() const override {
        auto view = view_.lock();
        auto window = view ? view->window() : nullptr;
        if (!window)
            return std::nullopt;
        return onScreen(*window, view->convertRectToWindow(view->bounds()));
    }
    std::vector<std::unique_ptr<AccessibleNode>> children() const override {
        std::vector<std::unique_ptr<AccessibleNode>> nodes;
        if (auto view = view_.lock()) {
            for (const auto& subview : view->subviews())
                nodes.push_back(viewNode(subview));
        }
        return nodes;
    }
    bool hasPress() const override { return role() == NodeRole::pushButton; }
    // Later, from the run loop: the press may end the process, and the screen reader that asked
    // is owed its answer first.
    void press() override {
        foundation::Timer::scheduledTimer(0, false, [view = view_](foundation::Timer&) {
            if (auto element = elementOf(view.lock()))
                element->accessibilityPerformPress();
        });
    }

private:
    static std::shared_ptr<AccessibilityElement> elementOf(const std::shared_ptr<View>& view) {
        return std::dynamic_pointer_cast<AccessibilityElement>(view);
    }

    std::weak_ptr<View> view_;
    const void* identity_;
};

class PopoverNode final : public AccessibleNode {
public:
    explicit PopoverNode(const std::shared_ptr<Popover>& popover)
        : popover_(popover), identity_(popover.get()) {}
    const void* identity() const override { return identity_; }
    bool exists() const override { return !popover_.expired(); }
    NodeRole role() const override { return NodeRole::toolTip; }
    std::string name() const override {
        auto popover = popover_.lock();
        auto controller = popover ? popover->contentViewController() : nullptr;
        std::string text;
        if (controller)
            collectText(controller->viewIfLoaded(), text);
        return text;
    }
    NodeStates states() const override {
        auto popover = popover_.lock();
        return {.showing = popover && popover->isShown()};
    }

private:
    static void collectText(const std::shared_ptr<View>& view, std::string& text) {
        if (!view)
            return;
        if (auto field = std::dynamic_pointer_cast<TextField>(view); field && !field->stringValue().empty())
            text += (text.empty() ? "" : "\n") + field->stringValue();
        for (const auto& subview : view->subviews())
            collectText(subview, text);
    }

    std::weak_ptr<Popover> popover_;
    const void* identity_;
};

} // namespace

std::unique_ptr<AccessibleNode> applicationNode(std::string programName) {
    return std::make_unique<ApplicationNode>(std::move(programName));
}

std::unique_ptr<AccessibleNode> windowNode(const std::shared_ptr<Window>& window) {
    return std::make_unique<WindowNode>(window);
}

std::unique_ptr<AccessibleNode> viewNode(const std::shared_ptr<View>& view) {
    return std::make_unique<ViewNode>(view);
}

std::unique_ptr<AccessibleNode> popoverNode(const std::shared_ptr<Popover>& popover) {
    return std::make_unique<PopoverNode>(popover);
}

} // namespace appkit
