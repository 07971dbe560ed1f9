#include "platform/appkit/windows/window.h"

#include "platform/appkit/application/application.h"
#include "platform/appkit/interface/coder.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/layer_contents_scale_delegate.h"
#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/appkit/windows/window_backend.h"

#include <algorithm>

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<Window>("Window")
        .property("contentView", &Window::contentView, &Window::setContentView)
        .property("title", &Window::title, &Window::setTitle);
});

template <typename Visit> void forEachView(const std::shared_ptr<View>& view, const Visit& visit) {
    if (!view)
        return;
    visit(view);
    auto subviews = view->subviews(); // a visit may change the tree
    for (const auto& subview : subviews)
        forEachView(subview, visit);
}

} // namespace

void Window::setTitle(const std::string& title) {
    title_ = title;
    if (backend_)
        backend_->windowDidChangeTitle();
}

std::shared_ptr<Window> Window::make(quartz::Rect contentRect) {
    auto window = std::make_shared<Window>();
    window->initWithContentRect(contentRect);
    return window;
}

void Window::initWithContentRect(quartz::Rect contentRect) {
    frame_ = contentRect;
    setContentView(View::make({0, 0, contentRect.width(), contentRect.height()}));
}

bool Window::initWithCoder(const Coder& coder) {
    initWithContentRect(coder.decodeRect("frame").value_or(quartz::Rect(0, 0, 480, 270)));
    if (auto title = coder.decodeString("title"))
        title_ = *title;
    return !coder.error();
}

void Window::setContentView(std::shared_ptr<View> view) {
    if (contentView_)
        contentView_->setWindow(nullptr);
    contentView_ = std::move(view);
    if (contentView_) {
        contentView_->setFrame({0, 0, frame_.width(), frame_.height()});
        contentView_->setWindow(std::static_pointer_cast<Window>(shared_from_this()));
    }
    viewsNeedDisplay_ = true;
}

void Window::setBackingScaleFactor(double scale) {
    backingScaleFactor_ = scale;
    forEachView(contentView_, [this, scale](const std::shared_ptr<View>& view) {
        if (const auto& layer = view->layer()) {
            layer->setContentsScale(scale);
            for (const auto& sublayer : layer->sublayers())
                handContentsScaleTo(*sublayer, scale);
        }
        view->viewDidChangeBackingProperties();
    });
    viewsNeedDisplay_ = true;
}

void Window::handContentsScaleTo(quartz::Layer& layer, double scale) {
    auto delegate = std::dynamic_pointer_cast<LayerContentsScaleDelegate>(layer.delegate());
    if (delegate && delegate->shouldInheritContentsScale(layer, scale, this))
        layer.setContentsScale(scale);
    for (const auto& sublayer : layer.sublayers())
        handContentsScaleTo(*sublayer, scale);
}

void Window::mouseDownAt(quartz::Point point, double timestamp) {
    pointer_ = point;
    closeTransientPopoversOutside(point);
    auto [target, offset] = clickTargetAt(point);
    Event event{Event::Type::leftMouseDown, shifted(point, offset), timestamp, 1, nullptr};
    bool wasKey = key_;
    key_ = true;
    // A click that activates the window reaches the view only if the view accepts first mice.
    if (!target || (!wasKey && !target->acceptsFirstMouse(&event)))
        return;
    pressedView_ = target;
    pressedOffset_ = offset;
    target->mouseDown(event);
}

// Shown popovers lie above the content, the latest on top; a click inside one never falls through.
Window::ClickTarget Window::clickTargetAt(quartz::Point point) const {
    for (auto popover = popovers_.rbegin(); popover != popovers_.rend(); ++popover) {
        auto frame = (*popover)->contentFrameInWindow();
        auto controller = (*popover)->contentViewController();
        auto content = controller ? controller->viewIfLoaded() : nullptr;
        if (!frame || !content || !frame->contains(point))
            continue;
        // The content is drawn at the popover's place, whatever its own frame says.
        quartz::Point offset{content->frame().origin.x - frame->origin.x,
                             content->frame().origin.y - frame->origin.y};
        auto hit = content->hitTest(shifted(point, offset));
        return {hit ? hit : content, offset};
    }
    return {contentView_ ? contentView_->hitTest(point) : nullptr, {}};
}

quartz::Point Window::shifted(quartz::Point point, quartz::Point offset) {
    return {point.x + offset.x, point.y + offset.y};
}

// A click anywhere but on a transient popover closes it, as the user expects of a bubble of help.
void Window::closeTransientPopoversOutside(quartz::Point point) {
    auto shown = popovers_; // closing one takes it off the list
    for (const auto& popover : shown) {
        auto frame = popover->contentFrameInWindow();
        if (popover->behavior() != PopoverBehavior::applicationDefined && !(frame && frame->contains(point)))
            popover->close();
    }
}

void Window::mouseUpAt(quartz::Point point, double timestamp) {
    pointer_ = point;
    auto target = pressedView_.lock();
    pressedView_.reset();
    if (target)
        target->mouseUp(
            Event{Event::Type::leftMouseUp, shifted(point, pressedOffset_), timestamp, 1, nullptr});
    checkTrackingAreas(timestamp);
}

void Window::mouseMovedTo(quartz::Point point, double timestamp) {
    pointer_ = point;
    if (auto pressed = pressedView_.lock())
        pressed->mouseDragged(
            Event{Event::Type::leftMouseDragged, shifted(point, pressedOffset_), timestamp, 1, nullptr});
    checkTrackingAreas(timestamp);
}

void Window::mouseLeftWindow(double timestamp) {
    pointer_.reset();
    checkTrackingAreas(timestamp);
}

void Window::performClose() {
    close();
}

void Window::makeKeyAndOrderFront() {
    visible_ = true;
    key_ = true;
    if (!backend_)
        backend_ = WindowBackend::makeFor(std::static_pointer_cast<Window>(shared_from_this()));
    if (backend_)
        backend_->orderFront();
}

void Window::close() {
    if (!visible_)
        return;
    auto self = shared_from_this(); // the application may drop its last reference
    finishKeyPress();
    visible_ = false;
    key_ = false;
    auto shown = popovers_; // closing one takes it off the list
    for (const auto& popover : shown)
        popover->close();
    popovers_.clear();
    // The screen's window goes before the application may end the process.
    auto backend = std::move(backend_);
    backend.reset();
    Application::shared()->windowDidClose(*this);
}

void Window::addPopover(std::shared_ptr<Popover> popover) {
    if (std::find(popovers_.begin(), popovers_.end(), popover) == popovers_.end()) {
        hostLayersOf(*popover, std::static_pointer_cast<Window>(shared_from_this()));
        popovers_.push_back(std::move(popover));
    }
    viewsNeedDisplay_ = true;
}

void Window::removePopover(const Popover* popover) {
    auto found = std::find_if(popovers_.begin(), popovers_.end(),
                              [popover](const auto& shown) { return shown.get() == popover; });
    if (found != popovers_.end()) {
        hostLayersOf(**found, {});
        popovers_.erase(found);
    }
    viewsNeedDisplay_ = true;
}

// A popover's views are in no window, yet it is drawn with this one, so their layers report here.
void Window::hostLayersOf(const Popover& popover, const std::weak_ptr<quartz::LayerHost>& host) {
    auto controller = popover.contentViewController();
    forEachView(controller ? controller->viewIfLoaded() : nullptr,
                [&host](const std::shared_ptr<View>& view) {
                    if (view->layer())
                        view->layer()->setHost(host);
                });
}

// A shown popover lies above the window's views: a pointer over it is over none of them.
bool Window::pointerIsInside(const View& view, const TrackingArea& area) const {
    if (!pointer_ || pointerIsOverAPopover())
        return false;
    quartz::Rect rect = (area.options() & NSTrackingInVisibleRect) ? view.bounds() : area.rect();
    return view.convertRectToWindow(rect).contains(*pointer_);
}

bool Window::pointerIsOverAPopover() const {
    return std::any_of(popovers_.begin(), popovers_.end(), [this](const auto& popover) {
        auto frame = popover->contentFrameInWindow();
        return frame && frame->contains(*pointer_);
    });
}

// Every area compares where the pointer was with where it is and tells its own owner.
void Window::checkTrackingAreas(double timestamp) {
    auto self = shared_from_this(); // an owner's handler may close the window
    std::vector<std::pair<std::shared_ptr<View>, std::shared_ptr<TrackingArea>>> areas;
    forEachView(contentView_, [&areas](const std::shared_ptr<View>& view) {
        for (const auto& area : view->trackingAreas())
            areas.emplace_back(view, area);
    });
    for (const auto& [view, area] : areas) {
        bool inside = pointerIsInside(*view, *area);
        if (inside == area->pointerInside())
            continue;
        area->setPointerInside(inside);
        auto owner = area->owner();
        if (!owner || !(area->options() & NSTrackingMouseEnteredAndExited))
            continue;
        Event event{inside ? Event::Type::mouseEntered : Event::Type::mouseExited,
                    pointer_.value_or(quartz::Point{}), timestamp, 0, area};
        if (inside)
            owner->mouseEntered(event);
        else
            owner->mouseExited(event);
    }
}

} // namespace appkit
