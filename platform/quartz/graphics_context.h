#pragma once

#include <cairo.h>

namespace quartz {

// Where drawing goes: a Cairo context whose user space is in points, with y growing down (flipped)
// or up, and the number of device pixels per point. Text and bitmaps drawn through it come out
// upright either way.
class GraphicsContext {
public:
    GraphicsContext(cairo_t* cairo, double backingScale, bool flipped)
        : cairo_(cairo), backingScale_(backingScale), flipped_(flipped) {}

    cairo_t* cairo() const { return cairo_; }
    double backingScale() const { return backingScale_; }
    bool isFlipped() const { return flipped_; }
    void setFlipped(bool flipped) { flipped_ = flipped; }

    // The context views draw into during drawRect; null outside drawing.
    static GraphicsContext* current();

    // Makes a context current for its lifetime and restores the one before.
    class Scope {
    public:
        explicit Scope(GraphicsContext& context);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        GraphicsContext* previous_;
    };

private:
    cairo_t* cairo_;
    double backingScale_;
    bool flipped_;
};

} // namespace quartz
