#pragma once

#include "platform/appkit/views/text_field.h"
#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"

#include <memory>

// The application's one help popover: a short text beside a view, closed again when that view
// asks. Its interface file wires `popover` and `tooltipLabel`.
class QvCustomHelpPopover : public appkit::ViewController {
public:
    // Created, with its interface loaded, on the first call; kept until the process ends.
    static const std::shared_ptr<QvCustomHelpPopover>& sharedManager();

    // Runs before every show, once the interface is loaded; subclasses prepare the content here.
    virtual void aboutToShow() {}

    void showForView(const std::shared_ptr<appkit::Object>& view, quartz::Rect rect);
    void showForView(const std::shared_ptr<appkit::Object>& view, appkit::NSRectEdge preferredEdge);
    void closeIfShowingFor(const appkit::Object* view);
    // Records the view and shows its customTooltip.
    void showForView(const std::shared_ptr<appkit::Object>& view);
    void showForView(const std::shared_ptr<appkit::Object>& view, quartz::Rect rect,
                     appkit::NSRectEdge preferredEdge);

    // Not owned: the interface's objects keep it.
    std::shared_ptr<appkit::Popover> popover() const { return popover_.lock(); }
    void setPopover(std::shared_ptr<appkit::Popover> popover) { popover_ = popover; }
    const std::shared_ptr<appkit::TextField>& tooltipLabel() const { return tooltipLabel_; }
    void setTooltipLabel(std::shared_ptr<appkit::TextField> label) { tooltipLabel_ = std::move(label); }
    // Identity only: never dereferenced.
    const appkit::Object* showingFor() const { return showingFor_; }
    void setShowingFor(const appkit::Object* view) { showingFor_ = view; }

private:
    // Where a view or a toolbar item puts the popover.
    static std::shared_ptr<appkit::View> anchorOf(const std::shared_ptr<appkit::Object>& view);
    void show(const std::shared_ptr<appkit::View>& anchor, quartz::Rect rect, appkit::NSRectEdge edge);
    // Sizes the content around the label's text, wrapped at maximumWidth.
    void fitContentToLabel();

    // Wide enough for a sentence or two a line, narrow enough to read at a glance.
    static constexpr double maximumWidth = 300;
    static constexpr quartz::Size labelMargin{12, 8};

    std::weak_ptr<appkit::Popover> popover_;
    std::shared_ptr<appkit::TextField> tooltipLabel_;
    const appkit::Object* showingFor_ = nullptr;
};
