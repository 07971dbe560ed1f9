#pragma once

#include "platform/appkit/view.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace appkit {

class ViewController;

// The sides of a rectangle, in the coordinates of the view the rectangle belongs to: the minimum
// y edge is the bottom of a plain view and the top of a flipped one.
enum NSRectEdge : std::uint32_t { NSMinXEdge = 0, NSMinYEdge = 1, NSMaxXEdge = 2, NSMaxYEdge = 3 };
static_assert(NSMinYEdge == 1);

enum class PopoverBehavior { applicationDefined = 0, transient = 1, semitransient = 2 };

// Shows a view controller's view beside a rectangle of an anchor view, above everything else in
// the anchor's window. A transient popover closes when the user clicks elsewhere.
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
    // Where the content goes in the anchor window: its size, beside the positioning rectangle on
    // the preferred edge, a gap away for the arrow, moved inside the window where it would not fit.
    std::optional<quartz::Rect> contentFrameInWindow() const;

    // Room between the positioning rectangle and the content.
    static constexpr double arrowGap = 8;

private:
    std::shared_ptr<ViewController> contentViewController_;
    PopoverBehavior behavior_ = PopoverBehavior::applicationDefined;
    bool shown_ = false;
    std::weak_ptr<View> anchor_;
    quartz::Rect positioningRect_;
    NSRectEdge preferredEdge_ = NSMinYEdge;
};

} // namespace appkit
