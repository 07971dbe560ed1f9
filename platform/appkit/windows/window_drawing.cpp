#include "platform/appkit/windows/window_drawing.h"

#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/quartz/device_raster.h"
#include "platform/quartz/layer_painting.h"
#include "platform/quartz/renderer.h"
#include "platform/quartz/shadow_blur.h"

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

void setSourceColor(cairo_t* cairo, quartz::Color color) {
    cairo_set_source_rgba(cairo, color.red(), color.green(), color.blue(), color.alpha());
}

class ViewPainter {
public:
    ViewPainter(quartz::GraphicsContext& context, double time) : context_(context), time_(time) {}

    // The context's user space is the superview's own.
    void paint(View& view, bool superviewFlipped) {
        cairo_t* cairo = context_.cairo();
        cairo_save(cairo);
        enterUnflippedSpace(view, superviewFlipped);
        bool grouped = view.alphaValue() < 1;
        if (grouped)
            cairo_push_group(cairo);
        if (view.shadow())
            paintWithShadow(view, *view.shadow());
        else
            paintContent(view);
        if (grouped) {
            cairo_pop_group_to_source(cairo);
            cairo_paint_with_alpha(cairo, view.alphaValue());
        }
        cairo_restore(cairo);
        context_.setFlipped(superviewFlipped);
    }

private:
    // Origin at the view's bottom-left corner, y growing up: the space its layer sits in.
    void enterUnflippedSpace(const View& view, bool superviewFlipped) {
        quartz::Rect frame = view.frame();
        cairo_t* cairo = context_.cairo();
        if (superviewFlipped) {
            cairo_translate(cairo, frame.origin.x, frame.origin.y + frame.height());
            cairo_scale(cairo, 1, -1);
        } else {
            cairo_translate(cairo, frame.origin.x, frame.origin.y);
        }
        context_.setFlipped(false);
    }

    void paintContent(View& view) {
        if (view.layer())
            quartz::drawLayerTree(context_, *view.layer(), time_);
        cairo_t* cairo = context_.cairo();
        if (view.isFlipped()) {
            cairo_translate(cairo, 0, view.frame().height());
            cairo_scale(cairo, 1, -1);
            context_.setFlipped(true);
        }
        {
            quartz::GraphicsContext::Scope current(context_);
            cairo_save(cairo);
            view.drawRect(view.bounds());
            cairo_restore(cairo);
        }
        for (const auto& subview : view.subviews())
            paint(*subview, view.isFlipped());
    }

    // The view's drawing and, beneath it, its blurred alpha tinted by the shadow's colour.
    void paintWithShadow(View& view, const Shadow& shadow) {
        cairo_t* cairo = context_.cairo();
        cairo_matrix_t own;
        cairo_get_matrix(cairo, &own);
        double scale = context_.backingScale();
        // A blur radius spans about two standard deviations of the Gaussian.
        quartz::ShadowBlur blur(shadow.shadowBlurRadius / 2 * scale);
        // Offsets are in unflipped terms: a positive height moves the shadow up the screen.
        double dx = shadow.shadowOffset.width * scale;
        double dy = -shadow.shadowOffset.height * scale;
        double reach = blur.reach() + 1;
        quartz::DeviceBox needed =
            quartz::DeviceBox::clipOf(cairo).grown(reach + std::abs(dx), reach + std::abs(dy));
        quartz::DeviceBox drawn =
            quartz::DeviceBox::of(own, view.bounds()).grown(overdraw * scale, overdraw * scale);
        quartz::DeviceRaster content(drawn.intersected(needed), CAIRO_FORMAT_ARGB32);
        if (!content.isValid()) {
            paintContent(view);
            return;
        }
        cairo_t* contentCairo = content.makeContext(own);
        quartz::GraphicsContext inner(contentCairo, scale, false);
        ViewPainter(inner, time_).paintContent(view);
        cairo_destroy(contentCairo);

        cairo_save(cairo);
        cairo_identity_matrix(cairo);
        if (quartz::BlurredAlpha blurred = blur.blurredAlpha(content); blurred.isValid())
            blurred.paint(cairo, dx, dy, shadow.shadowColor);
        cairo_set_source_surface(cairo, content.surface(), 0, 0);
        cairo_paint(cairo);
        cairo_restore(cairo);
    }

    // How far past its bounds a shadowed view's drawing is kept, for text that overflows a label.
    static constexpr double overdraw = 8;

    quartz::GraphicsContext& context_;
    double time_;
};

// The bubble fills the surface; its border lies just inside it.
void drawPopover(const Popover& popover, quartz::GraphicsContext& context, quartz::Size size, double time) {
    auto content = popover.contentViewController()->viewIfLoaded();
    cairo_t* cairo = context.cairo();
    quartz::addRoundedRect(cairo, {0.5, 0.5, size.width - 1, size.height - 1}, popoverCornerRadius);
    setSourceColor(cairo, popoverBackgroundColor);
    cairo_fill_preserve(cairo);
    setSourceColor(cairo, popoverBorderColor);
    cairo_set_line_width(cairo, 1);
    cairo_stroke(cairo);
    // The content view is laid out where the popover puts it, whatever its own frame says.
    cairo_translate(cairo, -content->frame().origin.x, -content->frame().origin.y);
    ViewPainter(context, time).paint(*content, false);
}

// A surface of size points at scale, its user space in points with y growing up.
cairo_t* unflippedContext(quartz::Bitmap& bitmap, quartz::Size size, double scale) {
    cairo_t* cairo = cairo_create(bitmap.cairoSurface());
    cairo_scale(cairo, scale, scale);
    cairo_translate(cairo, 0, size.height);
    cairo_scale(cairo, 1, -1);
    return cairo;
}

std::shared_ptr<quartz::Bitmap> makeBitmap(quartz::Size size, double scale) {
    return quartz::Bitmap::make(static_cast<int>(std::ceil(size.width * scale)),
                                static_cast<int>(std::ceil(size.height * scale)));
}

} // namespace

void drawWindow(Window& window, quartz::GraphicsContext& context, double time) {
    if (window.contentView())
        ViewPainter(context, time).paint(*window.contentView(), false);
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
    cairo_t* cairo = unflippedContext(*bitmap, size, scale);
    setSourceColor(cairo, windowBackgroundColor);
    cairo_paint(cairo);
    quartz::GraphicsContext context(cairo, scale, false);
    drawWindow(window, context, time);
    cairo_destroy(cairo);
    cairo_surface_flush(bitmap->cairoSurface());

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
        cairo_t* cairo = unflippedContext(*bitmap, frame->size, scale);
        quartz::GraphicsContext context(cairo, scale, false);
        drawPopover(*popover, context, frame->size, time);
        cairo_destroy(cairo);
        cairo_surface_flush(bitmap->cairoSurface());
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
