#include "platform/quartz/graphics_context.h"

#include "platform/quartz/bitmap.h"
#include "platform/quartz/layer_painting.h"

#include <cairo.h>

namespace quartz {

namespace {

thread_local GraphicsContext* currentContext = nullptr;

void setSource(cairo_t* cairo, Color color) {
    cairo_set_source_rgba(cairo, color.red(), color.green(), color.blue(), color.alpha());
}

} // namespace

void GraphicsContext::fill(Color color) {
    setSource(cairo_, color);
    cairo_paint(cairo_);
}

void GraphicsContext::fillRoundedRect(const Rect& rect, double radius, Color color) {
    addRoundedRect(cairo_, rect, radius);
    setSource(cairo_, color);
    cairo_fill(cairo_);
}

void GraphicsContext::strokeRoundedRect(const Rect& rect, double radius, Color color, double lineWidth) {
    addRoundedRect(cairo_, rect, radius);
    setSource(cairo_, color);
    cairo_set_line_width(cairo_, lineWidth);
    cairo_stroke(cairo_);
}

void GraphicsContext::drawBitmap(const Bitmap& bitmap, double x, double y) {
    cairo_set_source_surface(cairo_, bitmap.cairoSurface(), x, y);
    cairo_paint(cairo_);
}

void GraphicsContext::translate(double dx, double dy) {
    cairo_translate(cairo_, dx, dy);
}

void GraphicsContext::scale(double sx, double sy) {
    cairo_scale(cairo_, sx, sy);
}

GraphicsContext::SavedState::SavedState(GraphicsContext& context) : context_(context) {
    cairo_save(context_.cairo_);
}

GraphicsContext::SavedState::~SavedState() {
    cairo_restore(context_.cairo_);
}

GraphicsContext::TransparencyLayer::TransparencyLayer(GraphicsContext& context, double alpha)
    : context_(context), alpha_(alpha) {
    cairo_push_group(context_.cairo_);
}

GraphicsContext::TransparencyLayer::~TransparencyLayer() {
    cairo_pop_group_to_source(context_.cairo_);
    cairo_paint_with_alpha(context_.cairo_, alpha_);
}

GraphicsContext* GraphicsContext::current() {
    return currentContext;
}

GraphicsContext::Scope::Scope(GraphicsContext& context) : previous_(currentContext) {
    currentContext = &context;
}

GraphicsContext::Scope::~Scope() {
    currentContext = previous_;
}

void BitmapDrawing::Destroy::operator()(cairo_t* cairo) const {
    cairo_destroy(cairo);
}

BitmapDrawing::BitmapDrawing(Bitmap& bitmap, double backingScale)
    : bitmap_(bitmap), cairo_(cairo_create(bitmap.cairoSurface())),
      context_(cairo_.get(), backingScale, true) {}

BitmapDrawing::~BitmapDrawing() {
    cairo_.reset();
    cairo_surface_flush(bitmap_.cairoSurface());
}

} // namespace quartz
