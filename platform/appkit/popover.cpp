#include "platform/appkit/popover.h"

#include "platform/appkit/coder.h"
#include "platform/appkit/runtime.h"
#include "platform/appkit/view_controller.h"
#include "platform/appkit/window.h"

#include <algorithm>

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<Popover>("Popover").property(
        "contentViewController", &Popover::contentViewController, &Popover::setContentViewController);
});

std::optional<PopoverBehavior> decodeBehavior(const Coder& coder) {
    auto name = coder.decodeString("behavior");
    if (!name)
        return std::nullopt;
    if (*name == "applicationDefined")
        return PopoverBehavior::applicationDefined;
    if (*name == "transient")
        return PopoverBehavior::transient;
    if (*name == "semitransient")
        return PopoverBehavior::semitransient;
    coder.fail("\"behavior\" must be \"applicationDefined\", \"transient\" or \"semitransient\"");
    return std::nullopt;
}

// The edges of a flipped view's rectangle swap top and bottom on screen.
NSRectEdge windowEdge(NSRectEdge edge, bool anchorFlipped) {
    if (!anchorFlipped || edge == NSMinXEdge || edge == NSMaxXEdge)
        return edge;
    return edge == NSMinYEdge ? NSMaxYEdge : NSMinYEdge;
}

quartz::Point besideEdge(quartz::Rect rect, quartz::Size size, NSRectEdge edge) {
    double centreX = rect.origin.x + (rect.width() - size.width) / 2;
    double centreY = rect.origin.y + (rect.height() - size.height) / 2;
    switch (edge) {
    case NSMinXEdge:
        return {rect.origin.x - Popover::arrowGap - size.width, centreY};
    case NSMaxXEdge:
        return {rect.origin.x + rect.width() + Popover::arrowGap, centreY};
    case NSMaxYEdge:
        return {centreX, rect.origin.y + rect.height() + Popover::arrowGap};
    case NSMinYEdge:
        break;
    }
    return {centreX, rect.origin.y - Popover::arrowGap - size.height};
}

quartz::Rect keptInside(quartz::Rect frame, quartz::Size window) {
    auto clampAxis = [](double origin, double length, double room) {
        return std::max(0.0, std::min(origin, room - length));
    };
    return {clampAxis(frame.origin.x, frame.width(), window.width),
            clampAxis(frame.origin.y, frame.height(), window.height), frame.width(), frame.height()};
}

} // namespace

bool Popover::initWithCoder(const Coder& coder) {
    if (auto behavior = decodeBehavior(coder))
        behavior_ = *behavior;
    return !coder.error();
}

void Popover::setContentViewController(std::shared_ptr<ViewController> controller) {
    contentViewController_ = std::move(controller);
}

void Popover::showRelativeToRect(quartz::Rect rect, const std::shared_ptr<View>& view,
                                 NSRectEdge preferredEdge) {
    auto window = view ? view->window() : nullptr;
    if (!window)
        return;
    if (shown_ && anchor_.lock() != view)
        close();
    anchor_ = view;
    positioningRect_ = rect;
    preferredEdge_ = preferredEdge;
    if (contentViewController_)
        contentViewController_->view(); // loads it, so the popover has something to show
    shown_ = true;
    window->addPopover(std::static_pointer_cast<Popover>(shared_from_this()));
    window->setViewsNeedDisplay(true);
}

void Popover::close() {
    if (!shown_)
        return;
    shown_ = false;
    if (auto view = anchor_.lock(); view && view->window()) {
        view->window()->removePopover(this);
        view->window()->setViewsNeedDisplay(true);
    }
}

std::optional<quartz::Rect> Popover::positioningRectInWindow() const {
    auto view = anchor_.lock();
    if (!shown_ || !view)
        return std::nullopt;
    return view->convertRectToWindow(positioningRect_);
}

std::optional<quartz::Rect> Popover::contentFrameInWindow() const {
    auto rect = positioningRectInWindow();
    auto anchor = anchor_.lock();
    auto content = contentViewController_ ? contentViewController_->viewIfLoaded() : nullptr;
    if (!rect || !content)
        return std::nullopt;
    quartz::Size size{content->frame().width(), content->frame().height()};
    quartz::Point origin = besideEdge(*rect, size, windowEdge(preferredEdge_, anchor->isFlipped()));
    return keptInside({origin.x, origin.y, size.width, size.height}, anchor->window()->frame().size);
}

} // namespace appkit
