#include "platform/appkit/views/view.h"

#include "platform/appkit/interface/coder.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/windows/window.h"

#include <algorithm>

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) { runtime.registerClass<View>("View"); });

} // namespace

void View::initWithFrame(quartz::Rect frame) {
    setFrame(frame);
}

bool View::initWithCoder(const Coder& coder) {
    // Not the subclass's initWithFrame: an archive is its own way in, as in the frameworks.
    View::initWithFrame(coder.decodeRect("frame").value_or(quartz::Rect{}));
    if (coder.decodeBool("wantsLayer").value_or(false))
        setWantsLayer(true);
    if (auto alpha = coder.decodeNumber("alphaValue"))
        setAlphaValue(*alpha);
    return !coder.error();
}

void View::setFrame(quartz::Rect frame) {
    frame_ = frame;
    positionLayer();
    setNeedsLayout(true);
    setNeedsDisplay();
    if (window())
        updateTrackingAreas();
}

void View::addSubview(std::shared_ptr<View> view) {
    if (!view || view.get() == this)
        return;
    view->removeFromSuperview();
    view->superview_ = std::static_pointer_cast<View>(shared_from_this());
    subviews_.push_back(view);
    view->setWindow(window());
    setNeedsDisplay();
}

void View::removeFromSuperview() {
    auto parent = superview();
    if (!parent)
        return;
    auto keepAlive = std::static_pointer_cast<View>(shared_from_this());
    std::erase(parent->subviews_, keepAlive);
    superview_.reset();
    setWindow(nullptr);
    parent->setNeedsDisplay();
}

void View::setWindow(const std::shared_ptr<Window>& window) {
    bool joins = window && window != this->window();
    window_ = window;
    if (layer_)
        layer_->setHost(window);
    for (const auto& subview : subviews_)
        subview->setWindow(window);
    if (!joins)
        return;
    if (layer_)
        layer_->setContentsScale(window->backingScaleFactor());
    updateTrackingAreas();
    viewDidChangeBackingProperties();
}

void View::setWantsLayer(bool wants) {
    wantsLayer_ = wants;
    if (wants && !layer_) {
        layer_ = makeBackingLayer();
        layer_->setGeometryFlipped(isFlipped());
        if (auto shown = window()) {
            layer_->setHost(shown);
            layer_->setContentsScale(shown->backingScaleFactor());
        }
        positionLayer();
    }
    setNeedsDisplay();
}

std::shared_ptr<quartz::Layer> View::makeBackingLayer() {
    return quartz::Layer::layer();
}

// The backing layer covers the view; the window draws it at the view's place.
void View::positionLayer() {
    if (layer_)
        layer_->setFrame(bounds());
}

void View::setAlphaValue(double alpha) {
    alphaValue_ = std::clamp(alpha, 0.0, 1.0);
    setNeedsDisplay();
}

void View::setShadow(std::optional<Shadow> shadow) {
    shadow_ = shadow;
    setNeedsDisplay();
}

void View::setNeedsLayout(bool needs) {
    needsLayout_ = needs;
    if (auto shown = window(); needs && shown)
        shown->setViewsNeedDisplay(true);
}

void View::layoutSubtreeIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false; // before layout, which may ask for another pass
        layout();
    }
    auto subviews = subviews_; // a layout may add or remove subviews
    for (const auto& subview : subviews)
        subview->layoutSubtreeIfNeeded();
}

void View::setNeedsDisplay(bool needs) {
    if (auto shown = window(); needs && shown)
        shown->setViewsNeedDisplay(true);
}

std::shared_ptr<View> View::hitTest(quartz::Point point) {
    if (!frame_.contains(point))
        return nullptr;
    quartz::Point local = convertPointFromSuperview(point);
    for (auto subview = subviews_.rbegin(); subview != subviews_.rend(); ++subview) {
        if (auto hit = (*subview)->hitTest(local))
            return hit;
    }
    return std::static_pointer_cast<View>(shared_from_this());
}

// A point in the superview's coordinates, seen from inside this view. Only the vertical sense can
// differ: a flipped view measures y down from its top edge.
quartz::Point View::convertPointFromSuperview(quartz::Point point) const {
    auto parent = superview();
    bool parentFlipped = parent && parent->isFlipped();
    double fromOrigin = point.y - frame_.origin.y;
    double y = parentFlipped == isFlipped() ? fromOrigin : frame_.height() - fromOrigin;
    return {point.x - frame_.origin.x, y};
}

quartz::Point View::convertPointToSuperview(quartz::Point point) const {
    auto parent = superview();
    bool parentFlipped = parent && parent->isFlipped();
    double fromOrigin = parentFlipped == isFlipped() ? point.y : frame_.height() - point.y;
    return {point.x + frame_.origin.x, fromOrigin + frame_.origin.y};
}

quartz::Point View::convertPointFromWindow(quartz::Point point) const {
    if (auto parent = superview())
        point = parent->convertPointFromWindow(point);
    return convertPointFromSuperview(point);
}

quartz::Rect View::convertRectToWindow(quartz::Rect rect) const {
    quartz::Point first = rect.origin;
    quartz::Point second{rect.origin.x + rect.width(), rect.origin.y + rect.height()};
    for (const View* view = this; view != nullptr; view = view->superview().get()) {
        first = view->convertPointToSuperview(first);
        second = view->convertPointToSuperview(second);
    }
    return {std::min(first.x, second.x), std::min(first.y, second.y), std::abs(second.x - first.x),
            std::abs(second.y - first.y)};
}

void View::addTrackingArea(std::shared_ptr<TrackingArea> area) {
    if (!area)
        return;
    // A new area starts from where the pointer is, and adding it reports nothing.
    if (auto shown = window())
        area->setPointerInside(shown->pointerIsInside(*this, *area));
    trackingAreas_.push_back(std::move(area));
}

void View::removeTrackingArea(const std::shared_ptr<TrackingArea>& area) {
    std::erase(trackingAreas_, area);
}

} // namespace appkit
