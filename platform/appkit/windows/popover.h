#pragma once

#include "platform/appkit/views/view.h"
#include "platform/appkit/windows/popover_placement.h"

#include <memory>
#include <optional>

namespace appkit {

class ViewController;

enum class PopoverBehavior { applicationDefined = 0, transient = 1, semitransient = 2 };

// Shows a view controller's view beside a rectangle of an anchor view, as a surface of its own
// above the anchor's window and free to reach past it. Clicks inside it go to its views; a
// transient popover closes when the user clicks elsewhere.
class Popover : public Object {
public:
    // Reads "behavior": "applicationDefined", "transient" or "semitransient".
    bool initWithCoder(const Coder& coder) override;

    const std::shared_ptr<ViewController>& contentViewController() const { return contentViewController_; }
    void setContentViewController(std::shared_ptr<ViewController> controller);
    PopoverBehavior behavior() const { return behavior_; }
    void setBehavior(PopoverBehavior behavior) { behavior_ = behavior; }

    // Nothing happens for an anchor that is not in a window.
    void showRelativeToRect(quartz::Rect rect, const std::shared_ptr<View>& view, NSRectEdge preferredEdge);
    bool isShown() const { return shown_; }
    void close();

    std::shared_ptr<View> anchorView() const { return anchor_.lock(); }
    quartz::Rect positioningRect() const { return positioningRect_; }
    NSRectEdge preferredEdge() const { return preferredEdge_; }
    // The positioning rectangle in the anchor window's coordinates.
    std::optional<quartz::Rect> positioningRectInWindow() const;
    // Where the content goes, in the anchor window's coordinates: its size, a gap for the arrow
    // away from the positioning rectangle, placed by placePopover within the window's screen.
    std::optional<quartz::Rect> contentFrameInWindow() const;

    static constexpr double arrowGap = popoverArrowGap;

private:
    std::shared_ptr<ViewController> contentViewController_;
    PopoverBehavior behavior_ = PopoverBehavior::applicationDefined;
    bool shown_ = false;
    std::weak_ptr<View> anchor_;
    quartz::Rect positioningRect_;
    NSRectEdge preferredEdge_ = NSMinYEdge;
};

} // namespace appkit
