#include "platform/appkit/windows/popover.h"

#include "platform/appkit/interface/coder.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_backend.h"

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
    const auto& backend = anchor->window()->backend();
    return placePopover(*rect, content->frame().size, unflippedEdge(preferredEdge_, anchor->isFlipped()),
                        backend ? backend->screenFrameInWindow() : std::nullopt);
}

} // namespace appkit
