#include "widgets/tooltip/qv_custom_help_popover.h"

#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/toolbar_item.h"

using namespace appkit;

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<QvCustomHelpPopover>("QvCustomHelpPopover", "ViewController")
        .property("popover", &QvCustomHelpPopover::popover, &QvCustomHelpPopover::setPopover)
        .property("tooltipLabel", &QvCustomHelpPopover::tooltipLabel, &QvCustomHelpPopover::setTooltipLabel);
});

} // namespace

const std::shared_ptr<QvCustomHelpPopover>& QvCustomHelpPopover::sharedManager() {
    static std::shared_ptr<QvCustomHelpPopover> shared;
    if (!shared) {
        shared = std::make_shared<QvCustomHelpPopover>();
        shared->view(); // wires popover and label before anyone shows or closes
    }
    return shared;
}

void QvCustomHelpPopover::showForView(const std::shared_ptr<Object>& view, quartz::Rect rect) {
    showForView(view, rect, NSMinYEdge);
}

void QvCustomHelpPopover::showForView(const std::shared_ptr<Object>& view, NSRectEdge preferredEdge) {
    this->view();
    aboutToShow();
    auto anchor = anchorOf(view);
    show(anchor, anchor ? anchor->bounds() : quartz::Rect{}, preferredEdge);
}

void QvCustomHelpPopover::closeIfShowingFor(const Object* view) {
    auto shown = popover();
    if (showingFor_ == view && shown && shown->isShown())
        shown->close();
    showingFor_ = nullptr;
}

void QvCustomHelpPopover::showForView(const std::shared_ptr<Object>& view) {
    showingFor_ = view.get();
    if (tooltipLabel_) {
        auto text = view ? valueForKey(*view, "customTooltip") : std::nullopt;
        const std::string* string = text ? std::get_if<std::string>(&*text) : nullptr;
        tooltipLabel_->setStringValue(string ? *string : std::string());
    }
    showForView(view, NSMinYEdge);
}

void QvCustomHelpPopover::showForView(const std::shared_ptr<Object>& view, quartz::Rect rect,
                                      NSRectEdge preferredEdge) {
    this->view();
    aboutToShow();
    show(anchorOf(view), rect, preferredEdge);
}

std::shared_ptr<View> QvCustomHelpPopover::anchorOf(const std::shared_ptr<Object>& view) {
    if (auto item = std::dynamic_pointer_cast<ToolbarItem>(view))
        return item->view();
    return std::dynamic_pointer_cast<View>(view);
}

void QvCustomHelpPopover::show(const std::shared_ptr<View>& anchor, quartz::Rect rect, NSRectEdge edge) {
    // A toolbar item without a view of its own has nothing to stand beside.
    auto shown = popover();
    if (!shown || !anchor)
        return;
    fitContentToLabel();
    shown->showRelativeToRect(rect, anchor, edge);
}

void QvCustomHelpPopover::fitContentToLabel() {
    auto content = viewIfLoaded();
    if (!tooltipLabel_ || !content)
        return;
    quartz::Size text = tooltipLabel_->fittingSize(maximumWidth - 2 * labelMargin.width);
    tooltipLabel_->setFrame({{labelMargin.width, labelMargin.height}, text});
    quartz::Rect frame = content->frame();
    content->setFrame(
        {frame.origin, {text.width + 2 * labelMargin.width, text.height + 2 * labelMargin.height}});
}
