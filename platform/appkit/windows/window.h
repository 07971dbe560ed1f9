#pragma once

#include "platform/appkit/runtime/responder.h"
#include "platform/appkit/views/event.h"
#include "platform/appkit/views/view.h"
#include "platform/quartz/layer_host.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace appkit {

// Modifier keys held during a key press, with the platform's values.
enum EventModifierFlags : std::uint64_t {
    NSEventModifierFlagShift = 1 << 17,
    NSEventModifierFlagControl = 1 << 18,
    NSEventModifierFlagOption = 1 << 19,
    NSEventModifierFlagCommand = 1 << 20,
};
static_assert(NSEventModifierFlagShift == 0x20000 && NSEventModifierFlagControl == 0x40000 &&
              NSEventModifierFlagOption == 0x80000 && NSEventModifierFlagCommand == 0x100000);

class Button;
class Popover;
class WindowBackend;

// A window: owns its content view, turns the back end's pointer events into view events, and
// keeps the backing scale of its views and layers. Points are in window coordinates, origin at
// the bottom left.
// One redraw rule: every model change of a layer of its views and every setNeedsDisplay or
// setNeedsLayout of a view marks the window as needing display; its back end then draws at most
// one frame per run-loop turn while it needs display or an animation runs, and none otherwise.
class Window : public Responder, public quartz::LayerHost {
public:
    static std::shared_ptr<Window> make(quartz::Rect contentRect);
    virtual void initWithContentRect(quartz::Rect contentRect);
    // Reads "frame" [x, y, width, height] (the content rectangle) and "title".
    bool initWithCoder(const Coder& coder) override;

    quartz::Rect frame() const { return frame_; }
    const std::string& title() const { return title_; }
    // Reaches the window on screen too, when it is shown.
    void setTitle(const std::string& title);

    const std::shared_ptr<View>& contentView() const { return contentView_; }
    void setContentView(std::shared_ptr<View> view);

    double backingScaleFactor() const { return backingScaleFactor_; }
    // Hands the scale to every view's layer and to each layer whose delegate asks for it.
    void setBackingScaleFactor(double scale);

    bool isVisible() const { return visible_; }
    // Shows the window through its back end, from WindowBackend's factory unless one was set.
    void makeKeyAndOrderFront();
    // Hides the window for good, lets its back end go and tells the application, which may then end.
    void close();
    // The user asked to close the window: its close shortcut or the window manager's close button.
    void performClose();

    const std::shared_ptr<WindowBackend>& backend() const { return backend_; }
    // For a window that is not shown yet: the back end to show it with.
    void setBackend(std::shared_ptr<WindowBackend> backend) { backend_ = std::move(backend); }

    bool isKeyWindow() const { return key_; }
    // Key status shows in the focus ring, which only a key window draws.
    void makeKeyWindow();
    // A key still held on a button finishes its press here: its release may never come.
    void resignKeyWindow();

    // Pointer events from the back end.
    void mouseDownAt(quartz::Point point, double timestamp = 0);
    void mouseUpAt(quartz::Point point, double timestamp = 0);
    void mouseMovedTo(quartz::Point point, double timestamp = 0);
    void mouseLeftWindow(double timestamp = 0);
    // Key presses and releases from the back end: the key's character without modifiers ("\r"
    // for Return and keypad Enter, "\t" for Tab, "\x1b" for Escape) and the modifiers held. In
    // order: Tab and Shift-Tab move the focus; a button whose key equivalent it is, or Space for
    // the focused button, is pressed until the key's release, as a click would; Escape and
    // Command-W close the window, Command-Q ends the application. Whether the window answered.
    bool keyDown(std::string_view charactersIgnoringModifiers, std::uint64_t modifierFlags);
    bool keyUp(std::string_view charactersIgnoringModifiers);

    // The view with the keyboard focus, or none when the window itself has it. Tab and Shift-Tab
    // walk the key view loop: the views that accept the focus, in reading order.
    std::shared_ptr<View> firstResponder() const;
    // False, keeping the focus, for a view of another window or one that refuses it.
    bool makeFirstResponder(const std::shared_ptr<View>& view);
    void selectNextKeyView();
    void selectPreviousKeyView();

    bool pointerIsInside(const View& view, const TrackingArea& area) const;

    // Popovers shown for views of this window, each a surface of its own above it.
    const std::vector<std::shared_ptr<Popover>>& popovers() const { return popovers_; }
    void addPopover(std::shared_ptr<Popover> popover);
    void removePopover(const Popover* popover);

    bool viewsNeedDisplay() const { return viewsNeedDisplay_; }
    void setViewsNeedDisplay(bool needs) { viewsNeedDisplay_ = needs; }
    void layerTreeDidChange() override { viewsNeedDisplay_ = true; }

private:
    // Where a click goes: the view, and what takes window points into the space of its root view.
    struct ClickTarget {
        std::shared_ptr<View> view;
        quartz::Point offset;
    };
    ClickTarget clickTargetAt(quartz::Point point) const;
    static quartz::Point shifted(quartz::Point point, quartz::Point offset);
    bool pointerIsOverAPopover() const;
    void checkTrackingAreas(double timestamp);
    void closeTransientPopoversOutside(quartz::Point point);
    void handContentsScaleTo(quartz::Layer& layer, double scale);
    bool pressButtonForKey(std::string_view characters, std::uint64_t modifierFlags);
    void finishKeyPress();
    void selectKeyView(bool forward);
    static std::shared_ptr<Button> buttonForKeyEquivalent(const std::shared_ptr<View>& view,
                                                          std::string_view characters,
                                                          std::uint64_t modifiers);
    static void hostLayersOf(const Popover& popover, const std::weak_ptr<quartz::LayerHost>& host);

    quartz::Rect frame_;
    std::string title_;
    std::shared_ptr<View> contentView_;
    double backingScaleFactor_ = 1.0;
    bool key_ = false;
    bool visible_ = false;
    std::optional<quartz::Point> pointer_;
    std::weak_ptr<View> pressedView_;
    std::weak_ptr<View> firstResponder_;
    // The button a key holds pressed, and that key.
    std::weak_ptr<Button> keyPressedButton_;
    std::string pressingKey_;
    quartz::Point pressedOffset_;
    std::vector<std::shared_ptr<Popover>> popovers_;
    bool viewsNeedDisplay_ = true;
    std::shared_ptr<WindowBackend> backend_;
};

} // namespace appkit
