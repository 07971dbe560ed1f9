#pragma once

#include "platform/quartz/layer_value.h"

#include <optional>
#include <string>

namespace quartz {

// Animates one key of a layer from a value to another, linearly. A value: the layer keeps its own copy.
class BasicAnimation {
public:
    // What the animation shows outside its active time.
    enum class FillMode { removed, forwards, backwards, both };

    static BasicAnimation animationWithKeyPath(std::string keyPath);

    const std::string& keyPath() const { return keyPath_; }
    void setKeyPath(std::string keyPath) { keyPath_ = std::move(keyPath); }
    // None: the value the layer showed when the animation was added.
    const std::optional<LayerValue>& fromValue() const { return fromValue_; }
    void setFromValue(std::optional<LayerValue> value) { fromValue_ = std::move(value); }
    // None: the layer's model value.
    const std::optional<LayerValue>& toValue() const { return toValue_; }
    void setToValue(std::optional<LayerValue> value) { toValue_ = std::move(value); }
    // Seconds; 0 puts the animation at its end at once.
    double duration() const { return duration_; }
    void setDuration(double duration) { duration_ = duration; }
    bool removedOnCompletion() const { return removedOnCompletion_; }
    void setRemovedOnCompletion(bool removed) { removedOnCompletion_ = removed; }
    FillMode fillMode() const { return fillMode_; }
    void setFillMode(FillMode mode) { fillMode_ = mode; }
    // Set by the layer when the animation is added, on the clock the layer reads.
    double beginTime() const { return beginTime_; }
    void setBeginTime(double time) { beginTime_ = time; }

    double endTime() const;
    // Before its end time an animation still needs frames; held by a fill mode, it does not.
    bool isRunning(double time) const { return time < endTime(); }
    bool isFinished(double time) const { return !isRunning(time); }
    // What the animation shows at a time between the given resolved end values; none when it shows
    // nothing then (outside its active time without a fill mode that holds) or the values do not mix.
    std::optional<LayerValue> valueAt(double time, const LayerValue& from, const LayerValue& to) const;

private:
    bool holdsForwards() const;
    bool holdsBackwards() const;

    std::string keyPath_;
    std::optional<LayerValue> fromValue_;
    std::optional<LayerValue> toValue_;
    double duration_ = 0;
    bool removedOnCompletion_ = true;
    FillMode fillMode_ = FillMode::removed;
    double beginTime_ = 0;
};

} // namespace quartz
