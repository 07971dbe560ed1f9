#include "tools/uisnap/window_description.h"

#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/views/text_field.h"
#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/quartz/layer_tree_description.h"

namespace uisnap {

namespace {

using quartz::describeNumber;

std::string describeRect(const quartz::Rect& rect) {
    return "(" + describeNumber(rect.origin.x) + ", " + describeNumber(rect.origin.y) + ", " +
           describeNumber(rect.width()) + ", " + describeNumber(rect.height()) + ")";
}

std::string quoted(const std::string& text) {
    std::string written = "\"";
    for (char c : text)
        written += c == '\n' ? std::string("\\n") : std::string(1, c);
    return written + '"';
}

// What a control or text field shows, beyond its layers.
std::string describeContent(const appkit::View& view) {
    std::string out;
    if (const auto* control = dynamic_cast<const appkit::Control*>(&view); control && !control->isEnabled())
        out += " disabled";
    if (const auto* button = dynamic_cast<const appkit::Button*>(&view))
        out += " state=" + std::to_string(button->state()) + " title=" + quoted(button->title());
    if (const auto* field = dynamic_cast<const appkit::TextField*>(&view))
        out += " string=" + quoted(field->stringValue());
    if (view.alphaValue() != 1)
        out += " alpha=" + describeNumber(view.alphaValue());
    return out;
}

} // namespace

std::string WindowDescription::describe(appkit::Window& window) const {
    std::string out = "Window " + quoted(window.title()) + " frame=" + describeRect(window.frame()) +
                      " scale=" + describeNumber(window.backingScaleFactor()) +
                      (window.isKeyWindow() ? " key" : " notKey") + (window.isVisible() ? "" : " closed") +
                      "\n";
    if (window.contentView())
        describeView(*window.contentView(), 1, out);
    for (const auto& popover : window.popovers()) {
        if (!popover->isShown())
            continue;
        auto anchor = popover->anchorView();
        out += "  Popover for " + (anchor ? nameOf(*anchor) : std::string("nothing")) + "\n";
        if (const auto& controller = popover->contentViewController())
            describeView(*controller->view(), 2, out);
    }
    return out;
}

void WindowDescription::describeView(const appkit::View& view, int depth, std::string& out) const {
    std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    out += indent + nameOf(view) + " frame=" + describeRect(view.frame()) + describeContent(view) + "\n";
    if (view.layer())
        out += quartz::describeTree(*view.layer(),
                                    {.timeOrigin = timeOrigin_, .now = now_, .indent = depth * 2 + 2});
    for (const auto& subview : view.subviews())
        describeView(*subview, depth + 1, out);
}

std::string WindowDescription::nameOf(const appkit::Object& object) const {
    const auto* info = appkit::Runtime::shared().classOf(object);
    std::string name = info ? info->name() : "Object";
    std::string id = idOf_ ? idOf_(&object) : "";
    return id.empty() ? name : name + " " + id;
}

} // namespace uisnap
