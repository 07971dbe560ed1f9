#pragma once

#include "platform/quartz/color.h"
#include "platform/quartz/geometry.h"

#include <memory>

// Cairo's own names for its handles; only quartz includes Cairo itself.
typedef struct _cairo cairo_t;

namespace quartz {

class Bitmap;

// Where drawing goes: a Cairo context whose user space is in points, with y growing down (flipped)
// or up, and the number of device pixels per point. Text and bitmaps drawn through it come out
// upright either way. Callers above quartz draw through its operations; the Cairo context is for
// quartz's own drawing code.
class GraphicsContext {
public:
    GraphicsContext(cairo_t* cairo, double backingScale, bool flipped)
        : cairo_(cairo), backingScale_(backingScale), flipped_(flipped) {}

    cairo_t* cairo() const { return cairo_; }
    double backingScale() const { return backingScale_; }
    bool isFlipped() const { return flipped_; }
    void setFlipped(bool flipped) { flipped_ = flipped; }

    // Paints the colour over everything the clip lets through.
    void fill(Color color);
    // A rectangle with corners rounded by radius (no more than half a side), filled or outlined.
    void fillRoundedRect(const Rect& rect, double radius, Color color);
    void strokeRoundedRect(const Rect& rect, double radius, Color color, double lineWidth);
    // A bitmap's pixels, one per unit of user space, with its top-left corner at (x, y).
    void drawBitmap(const Bitmap& bitmap, double x, double y);
    // Changes of the user space, kept until a SavedState before them ends.
    void translate(double dx, double dy);
    void scale(double sx, double sy);

    // The context's user space and clip, put back as they were when this ends.
    class SavedState {
    public:
        explicit SavedState(GraphicsContext& context);
        ~SavedState();
        SavedState(const SavedState&) = delete;
        SavedState& operator=(const SavedState&) = delete;

    private:
        GraphicsContext& context_;
    };

    // What is drawn while this lasts is gathered apart and then painted at the alpha as one.
    class TransparencyLayer {
    public:
        TransparencyLayer(GraphicsContext& context, double alpha);
        ~TransparencyLayer();
        TransparencyLayer(const TransparencyLayer&) = delete;
        TransparencyLayer& operator=(const TransparencyLayer&) = delete;

    private:
        GraphicsContext& context_;
        double alpha_;
    };

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

// Draws into a bitmap while it lasts, through a context whose user space starts as the bitmap's
// pixels, y down; the bitmap holds what was drawn once this ends.
class BitmapDrawing {
public:
    BitmapDrawing(Bitmap& bitmap, double backingScale);
    ~BitmapDrawing();
    BitmapDrawing(const BitmapDrawing&) = delete;
    BitmapDrawing& operator=(const BitmapDrawing&) = delete;

    GraphicsContext& context() { return context_; }

private:
    struct Destroy {
        void operator()(cairo_t* cairo) const;
    };

    Bitmap& bitmap_;
    std::unique_ptr<cairo_t, Destroy> cairo_;
    GraphicsContext context_;
};

} // namespace quartz
