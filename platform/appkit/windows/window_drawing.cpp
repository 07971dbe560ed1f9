#include "platform/appkit/windows/window_drawing.h"

#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/quartz/focus_ring.h"
#include "platform/quartz/renderer.h"
#include "platform/quartz/shadowed_drawing.h"

#include <cmath>

namespace appkit {

namespace {

constexpr quartz::Color windowBackgroundColor = quartz::Color::gray(0.93);
constexpr quartz::Color popoverBackgroundColor = quartz::Color::gray(0.98);
constexpr quartz::Color popoverBorderColor = quartz::Color::gray(0.0, 0.15);
constexpr double popoverCornerRadius = 6;

template <typename Visit> void forEachView(View& view, const Visit& visit) {
    visit(view);
    for (const auto& subview : view.subviews())
        forEachView(*subview, visit);
}

// The content views of the window and of its popovers.
template <typename Visit> void forEachViewOf(const Window& window, const Visit& visit) {
    if (window.contentView())
        forEachView(*window.contentView(), visit);
    for (const auto& popover : window.popovers()) {
        auto controller = popover->contentViewController();
        if (auto content = controller ? controller->viewIfLoaded() : nullptr)
            forEachView(*content, visit);
    }
}

// Each root first: a layout may change the frames of the views below it.
void layOutViews(const Window& window) {
    if (window.contentView())
        window.contentView()->layoutSubtreeIfNeeded();
    for (const auto& popover : window.popovers()) {
        auto controller = popover->contentViewController();
        if (auto content = controller ? controller->viewIfLoaded() : nullptr)
            content->layoutSubtreeIfNeeded();
    }
}

void removeFinishedAnimations(quartz::Layer& layer, double time) {
    layer.removeFinishedAnimations(time);
    if (layer.mask())
        removeFinishedAnimations(*layer.mask(), time);
    for (const auto& sublayer : layer.sublayers())
        removeFinishedAnimations(*sublayer, time);
}

class ViewPainter {
public:
    ViewPainter(quartz::GraphicsContext& context, double time) : context_(context), time_(time) {}

    // The context's user space is the superview's own.
    void paint(View& view, bool superviewFlipped) {
        {
            quartz::GraphicsContext::SavedState saved(context_);
            enterUnflippedSpace(view, superviewFlipped);
            std::optional<quartz::GraphicsContext::TransparencyLayer> group;
            if (view.alphaValue() < 1)
                group.emplace(context_, view.alphaValue());
            if (view.shadow())
                paintWithShadow(view, *view.shadow());
            else
                paintContent(view);
        }
        context_.setFlipped(superviewFlipped);
    }

private:
    // Origin at the view's bottom-left corner, y growing up: the space its layer sits in.
    void enterUnflippedSpace(const View& view, bool superviewFlipped) {
        quartz::Rect frame = view.frame();
        if (superviewFlipped) {
            context_.translate(frame.origin.x, frame.origin.y + frame.height());
            context_.scale(1, -1);
        } else {
            context_.translate(frame.origin.x, frame.origin.y);
        }
        context_.setFlipped(false);
    }

    void paintContent(View& view) {
        if (view.layer())
            quartz::drawLayerTree(context_, *view.layer(), time_);
        if (view.isFlipped()) {
            context_.translate(0, view.frame().height());
            context_.scale(1, -1);
            context_.setFlipped(true);
        }
        {
            quartz::GraphicsContext::Scope current(context_);
            quartz::GraphicsContext::SavedState saved(context_);
            view.drawRect(view.bounds());
        }
        for (const auto& subview : view.subviews())
            paint(*subview, view.isFlipped());
    }

    // The view's drawing and, beneath it, its blurred alpha tinted by the shadow's colour.
    void paintWithShadow(View& view, const Shadow& shadow) {
        quartz::drawWithShadow(
            context_, view.bounds(), overdraw,
            {shadow.shadowColor, shadow.shadowBlurRadius, shadow.shadowOffset},
            [&](quartz::GraphicsContext& target) { ViewPainter(target, time_).paintContent(view); });
    }

    // How far past its bounds a shadowed view's drawing is kept, for text that overflows a label.
    static constexpr double overdraw = 8;

    quartz::GraphicsContext& context_;
    double time_;
};

// The bubble fills the surface; its border lies just inside it.
void drawPopover(const Popover& popover, quartz::GraphicsContext& context, quartz::Size size, double time) {
    auto content = popover.contentViewController()->viewIfLoaded();
    quartz::Rect bubble{0.5, 0.5, size.width - 1, size.height - 1};
    context.fillRoundedRect(bubble, popoverCornerRadius, popoverBackgroundColor);
    context.strokeRoundedRect(bubble, popoverCornerRadius, popoverBorderColor, 1);
    // The content view is laid out where the popover puts it, whatever its own frame says.
    context.translate(-content->frame().origin.x, -content->frame().origin.y);
    ViewPainter(context, time).paint(*content, false);
}

// Turns a drawing's user space into points of the bitmap's size at the scale, y growing up.
void enterUnflippedPoints(quartz::GraphicsContext& context, quartz::Size size, double scale) {
    context.scale(scale, scale);
    context.translate(0, size.height);
    context.scale(1, -1);
    context.setFlipped(false);
}

std::shared_ptr<quartz::Bitmap> makeBitmap(quartz::Size size, double scale) {
    return quartz::Bitmap::make(static_cast<int>(std::ceil(size.width * scale)),
                                static_cast<int>(std::ceil(size.height * scale)));
}

// Above every view, and only while the window has the keyboard.
void drawFocusRingOf(const Window& window, quartz::GraphicsContext& context) {
    auto focused = window.firstResponder();
    if (!focused || !window.isKeyWindow())
        return;
    quartz::drawFocusRing(context, focused->convertRectToWindow(focused->focusRingMaskBounds()),
                          focused->focusRingCornerRadius());
}

} // namespace

void drawWindow(Window& window, quartz::GraphicsContext& context, double time) {
    if (window.contentView())
        ViewPainter(context, time).paint(*window.contentView(), false);
    drawFocusRingOf(window, context);
}

std::shared_ptr<quartz::Bitmap> renderWindow(Window& window, double time) {
    layOutViews(window);
    // Before drawing, so that a finished animation shows the model value, as once it is removed.
    forEachViewOf(window, [time](View& view) {
        if (view.layer())
            removeFinishedAnimations(*view.layer(), time);
    });
    double scale = window.backingScaleFactor();
    quartz::Size size = window.frame().size;
    auto bitmap = makeBitmap(size, scale);
    if (!bitmap)
        return nullptr;
    {
        quartz::BitmapDrawing drawing(*bitmap, scale);
        enterUnflippedPoints(drawing.context(), size, scale);
        drawing.context().fill(windowBackgroundColor);
        drawWindow(window, drawing.context(), time);
    }

    window.setViewsNeedDisplay(false);
    return bitmap;
}

std::vector<PopoverSurface> renderPopovers(const Window& window, double time) {
    std::vector<PopoverSurface> surfaces;
    double scale = window.backingScaleFactor();
    for (const auto& popover : window.popovers()) {
        auto frame = popover->contentFrameInWindow();
        auto bitmap = frame ? makeBitmap(frame->size, scale) : nullptr;
        if (!bitmap)
            continue;
        {
            quartz::BitmapDrawing drawing(*bitmap, scale);
            enterUnflippedPoints(drawing.context(), frame->size, scale);
            drawPopover(*popover, drawing.context(), frame->size, time);
        }
        surfaces.push_back({popover.get(), *frame, std::move(bitmap)});
    }
    return surfaces;
}

bool windowIsAnimating(const Window& window, double time) {
    bool animating = false;
    forEachViewOf(window, [&animating, time](View& view) {
        animating = animating || (view.layer() && quartz::treeIsAnimating(*view.layer(), time));
    });
    return animating;
}

} // namespace appkit
