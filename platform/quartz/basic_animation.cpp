#include "platform/quartz/basic_animation.h"

namespace quartz {

BasicAnimation BasicAnimation::animationWithKeyPath(std::string keyPath) {
    BasicAnimation animation;
    animation.setKeyPath(std::move(keyPath));
    return animation;
}

double BasicAnimation::endTime() const {
    // Negative and NaN durations would give an end before the begin or none at all.
    return beginTime_ + (duration_ > 0 ? duration_ : 0.0);
}

std::optional<LayerValue> BasicAnimation::valueAt(double time, const LayerValue& from,
                                                  const LayerValue& to) const {
    if (time < beginTime_)
        return holdsBackwards() ? std::optional<LayerValue>(from) : std::nullopt;
    double end = endTime();
    if (time >= end)
        return holdsForwards() ? std::optional<LayerValue>(to) : std::nullopt;
    return interpolate(from, to, (time - beginTime_) / (end - beginTime_));
}

bool BasicAnimation::holdsForwards() const {
    // A finished animation that is to be removed shows nothing, whether or not it is gone yet.
    return !removedOnCompletion_ && (fillMode_ == FillMode::forwards || fillMode_ == FillMode::both);
}

bool BasicAnimation::holdsBackwards() const {
    return fillMode_ == FillMode::backwards || fillMode_ == FillMode::both;
}

} // namespace quartz
