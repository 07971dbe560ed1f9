#pragma once

#include "platform/quartz/basic_animation.h"
#include "platform/quartz/bitmap.h"
#include "platform/quartz/color.h"
#include "platform/quartz/geometry.h"
#include "platform/quartz/layer_animations.h"
#include "platform/quartz/layer_delegate.h"
#include "platform/quartz/layer_host.h"
#include "platform/quartz/layer_value.h"

#include <concepts>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quartz {

// The model of a Core Animation layer: the values that were set, with Core Animation's defaults.
// Nothing here draws; a renderer reads the model and the presentation values.
// Layers live in std::shared_ptr. A layer owns its sublayers and its mask; its superlayer and its
// delegate are weak.
class Layer : public std::enable_shared_from_this<Layer> {
public:
    static std::shared_ptr<Layer> layer();
    virtual ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    // Geometry. The frame is derived: the bounds' size, placed so that the anchor point (a fraction
    // of the size) sits at position in the superlayer.
    Rect bounds() const { return bounds_; }
    void setBounds(Rect bounds) { change(bounds_, bounds); }
    Point position() const { return position_; }
    void setPosition(Point position) { change(position_, position); }
    Point anchorPoint() const { return anchorPoint_; }
    void setAnchorPoint(Point anchorPoint) { change(anchorPoint_, anchorPoint); }
    Rect frame() const;
    // Keeps the bounds' origin.
    void setFrame(Rect frame);
    bool geometryFlipped() const { return geometryFlipped_; }
    void setGeometryFlipped(bool flipped) { change(geometryFlipped_, flipped); }

    const std::optional<Color>& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<Color> color) { change(backgroundColor_, color); }
    Color borderColor() const { return borderColor_; }
    void setBorderColor(Color color) { change(borderColor_, color); }
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width) { change(borderWidth_, width); }
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) { change(cornerRadius_, radius); }
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks) { change(masksToBounds_, masks); }
    float opacity() const { return opacity_; }
    void setOpacity(float opacity) { change(opacity_, opacity); }

    Color shadowColor() const { return shadowColor_; }
    void setShadowColor(Color color) { change(shadowColor_, color); }
    float shadowOpacity() const { return shadowOpacity_; }
    void setShadowOpacity(float opacity) { change(shadowOpacity_, opacity); }
    double shadowRadius() const { return shadowRadius_; }
    void setShadowRadius(double radius) { change(shadowRadius_, radius); }
    Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(Size offset) { change(shadowOffset_, offset); }

    // Its frame is in this layer's coordinates; it is nobody's sublayer.
    const std::shared_ptr<Layer>& mask() const { return mask_; }
    void setMask(std::shared_ptr<Layer> mask);
    const std::shared_ptr<const Bitmap>& contents() const { return contents_; }
    void setContents(std::shared_ptr<const Bitmap> contents) { change(contents_, std::move(contents)); }
    // Pixels per point of the contents.
    double contentsScale() const { return contentsScale_; }
    void setContentsScale(double scale) { change(contentsScale_, scale); }

    // Bottom to top.
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
    std::shared_ptr<Layer> superlayer() const { return superlayer_.lock(); }
    // Takes the layer from its old superlayer first. Adding this layer or one of its superlayers is
    // refused: the tree would own itself.
    void addSublayer(std::shared_ptr<Layer> layer);
    // An index past the end puts it on top.
    void insertSublayer(std::shared_ptr<Layer> layer, std::size_t index);
    void removeFromSuperlayer();

    std::shared_ptr<LayerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<LayerDelegate> delegate) { delegate_ = std::move(delegate); }

    // The animatable keys by name. An unknown key gives none; a value of the wrong kind for the key
    // is refused with false.
    virtual std::optional<LayerValue> valueForKey(std::string_view key) const;
    virtual bool setValueForKey(const LayerValue& value, std::string_view key);

    // Stores a copy begun now on foundation::Clock::current(), in place of any animation under key.
    void addAnimation(const BasicAnimation& animation, const std::string& key);
    void removeAnimationForKey(std::string_view key);
    void removeAllAnimations();
    std::shared_ptr<const BasicAnimation> animationForKey(std::string_view key) const {
        return animations_.find(key);
    }
    // In the order they were added.
    std::vector<std::string> animationKeys() const { return animations_.keys(); }

    // What the layer shows for a key at a time: the model value unless an animation says otherwise.
    // None for an unknown key.
    std::optional<LayerValue> presentationValueForKey(std::string_view key, double time) const;
    // The same as the key's own kind; none also when the key has no value then.
    template <typename T> std::optional<T> presentedValue(std::string_view key, double time) const;
    // Whether an animation still needs frames: one before its end time.
    bool isAnimating(double time) const { return animations_.isRunning(time); }
    // Called by whoever draws, each frame.
    void removeFinishedAnimations(double time);

    // The host of a root layer: told of every model change of a layer in its tree (any property,
    // sublayers, mask, contents, animations added or removed). Not owned.
    void setHost(std::weak_ptr<LayerHost> host) { host_ = std::move(host); }

protected:
    Layer() = default;

    // Stores a model value and, when it differs, tells the tree's host.
    template <typename T, typename U> void change(T& member, U&& value) {
        if constexpr (std::equality_comparable<T>) {
            if (member == value)
                return;
        }
        member = std::forward<U>(value);
        didChange();
    }
    void didChange() const;
    // The value for an optional colour key; false, changing nothing, for a value of another kind.
    bool changeOptionalColor(const LayerValue& value, std::optional<Color>& member);

private:
    bool isSelfOrSuperlayer(const Layer* layer) const;

    Rect bounds_;
    Point position_;
    Point anchorPoint_{0.5, 0.5};
    bool geometryFlipped_ = false;
    std::optional<Color> backgroundColor_;
    Color borderColor_ = Color::blackColor();
    double borderWidth_ = 0;
    double cornerRadius_ = 0;
    bool masksToBounds_ = false;
    float opacity_ = 1;
    Color shadowColor_ = Color::blackColor();
    float shadowOpacity_ = 0;
    double shadowRadius_ = 3;
    Size shadowOffset_{0, -3};
    std::shared_ptr<Layer> mask_;
    std::shared_ptr<const Bitmap> contents_;
    double contentsScale_ = 1;
    std::vector<std::shared_ptr<Layer>> sublayers_;
    std::weak_ptr<Layer> superlayer_;
    // The layer this one is a sublayer or the mask of, for finding the host without locking a
    // weak reference at every level; it clears this when it lets the layer go or ends.
    Layer* owner_ = nullptr;
    std::weak_ptr<LayerHost> host_;
    std::weak_ptr<LayerDelegate> delegate_;
    LayerAnimations animations_;
};

// Whether the layer, its mask or anything below it is animating.
bool treeIsAnimating(const Layer& layer, double time);

template <typename T> std::optional<T> Layer::presentedValue(std::string_view key, double time) const {
    std::optional<LayerValue> value = presentationValueForKey(key, time);
    const T* held = value ? std::get_if<T>(&*value) : nullptr;
    return held ? std::optional<T>(*held) : std::nullopt;
}

} // namespace quartz
