#pragma once

#include "platform/appkit/runtime/responder.h"
#include "platform/appkit/views/shadow.h"
#include "platform/appkit/views/tracking_area.h"
#include "platform/quartz/geometry.h"
#include "platform/quartz/layer.h"

#include <memory>
#include <optional>
#include <vector>

namespace appkit {

class Window;

// A rectangle of a window that draws and handles events. A view owns its subviews; its
// superview and window are weak. Its frame is in the superview's coordinates; its own
// coordinates have y growing up unless the view is flipped.
class View : public Responder {
public:
    // Two-phase creation: the constructor puts members in place, then the initialiser runs.
    template <typename T = View> static std::shared_ptr<T> make(quartz::Rect frame) {
        auto view = std::make_shared<T>();
        view->initWithFrame(frame);
        return view;
    }
    virtual void initWithFrame(quartz::Rect frame);
    // Reads "frame" [x, y, width, height], "wantsLayer" and "alphaValue".
    bool initWithCoder(const Coder& coder) override;

    quartz::Rect frame() const { return frame_; }
    virtual void setFrame(quartz::Rect frame);
    quartz::Rect bounds() const { return {0, 0, frame_.width(), frame_.height()}; }
    virtual bool isFlipped() const { return false; }

    std::shared_ptr<View> superview() const { return superview_.lock(); }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    void addSubview(std::shared_ptr<View> view);
    void removeFromSuperview();
    std::shared_ptr<Window> window() const { return window_.lock(); }
    Responder* nextResponder() const override { return superview_.lock().get(); }

    bool wantsLayer() const { return wantsLayer_; }
    void setWantsLayer(bool wants);
    const std::shared_ptr<quartz::Layer>& layer() const { return layer_; }

    double alphaValue() const { return alphaValue_; }
    void setAlphaValue(double alpha);
    const std::optional<Shadow>& shadow() const { return shadow_; }
    void setShadow(std::optional<Shadow> shadow);

    // The deepest view at a point given in the superview's coordinates, front-most first; none
    // when the point is outside. A view that answers none is transparent to clicks.
    virtual std::shared_ptr<View> hitTest(quartz::Point point);
    virtual bool acceptsFirstMouse(const Event*) { return false; }
    // Whether the view takes the keyboard focus, and so has a place in the key view loop.
    virtual bool acceptsFirstResponder() const { return false; }
    // The shape the focus ring follows, in the view's own coordinates: a rectangle and the radius of
    // its corners, those of the view's layer unless the view draws another shape.
    virtual quartz::Rect focusRingMaskBounds() const { return bounds(); }
    virtual double focusRingCornerRadius() const { return layer_ ? layer_->cornerRadius() : 0; }

    // Conversions between the window's coordinates and this view's own.
    quartz::Point convertPointFromWindow(quartz::Point point) const;
    quartz::Rect convertRectToWindow(quartz::Rect rect) const;

    void addTrackingArea(std::shared_ptr<TrackingArea> area);
    void removeTrackingArea(const std::shared_ptr<TrackingArea>& area);
    const std::vector<std::shared_ptr<TrackingArea>>& trackingAreas() const { return trackingAreas_; }
    // Called by the window when the view joins it and after each change of the view's frame.
    virtual void updateTrackingAreas() {}

    // A view that needs layout is laid out before the window's next frame.
    void setNeedsLayout(bool needs);
    virtual void layout() {}
    // Lays out this view when it needs it, then its subviews, top down.
    void layoutSubtreeIfNeeded();
    void setNeedsDisplay(bool needs = true);
    // Draws the view's own content; the window's renderer hands in its context later.
    virtual void drawRect(quartz::Rect) {}
    virtual void updateLayer() {}
    // Called when the view joins a window and whenever the window's backing scale changes.
    virtual void viewDidChangeBackingProperties() {}

    // Called by the window; sets the window of the whole subtree.
    void setWindow(const std::shared_ptr<Window>& window);

protected:
    // The layer a layer-backed view gets; subclasses may make another kind.
    virtual std::shared_ptr<quartz::Layer> makeBackingLayer();

private:
    void positionLayer();
    quartz::Point convertPointFromSuperview(quartz::Point point) const;
    quartz::Point convertPointToSuperview(quartz::Point point) const;

    quartz::Rect frame_;
    std::weak_ptr<View> superview_;
    std::vector<std::shared_ptr<View>> subviews_;
    std::weak_ptr<Window> window_;
    bool wantsLayer_ = false;
    std::shared_ptr<quartz::Layer> layer_;
    double alphaValue_ = 1.0;
    std::optional<Shadow> shadow_;
    std::vector<std::shared_ptr<TrackingArea>> trackingAreas_;
    bool needsLayout_ = false;
};

} // namespace appkit
