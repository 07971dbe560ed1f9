#include "platform/quartz/basic_animation.h"

#include <gtest/gtest.h>
#include <limits>

using quartz::BasicAnimation;
using quartz::LayerValue;

TEST(BasicAnimation, HasCoreAnimationDefaultsExceptForDuration) {
    auto animation = BasicAnimation::animationWithKeyPath("opacity");
    EXPECT_EQ(animation.keyPath(), "opacity");
    EXPECT_EQ(animation.fromValue(), std::nullopt);
    EXPECT_EQ(animation.toValue(), std::nullopt);
    EXPECT_EQ(animation.duration(), 0);
    EXPECT_TRUE(animation.removedOnCompletion());
    EXPECT_EQ(animation.fillMode(), BasicAnimation::FillMode::removed);
}

TEST(BasicAnimation, ShowsNothingOutsideItsActiveTimeWithoutAFillMode) {
    auto animation = BasicAnimation::animationWithKeyPath("opacity");
    animation.setDuration(1);
    animation.setBeginTime(10);
    EXPECT_EQ(animation.valueAt(9, 0.0, 1.0), std::nullopt);
    EXPECT_EQ(animation.valueAt(10.5, 0.0, 1.0), LayerValue(0.5));
    EXPECT_EQ(animation.valueAt(11, 0.0, 1.0), std::nullopt);
}

TEST(BasicAnimation, BothFillModeHoldsOnEitherSide) {
    auto animation = BasicAnimation::animationWithKeyPath("opacity");
    animation.setDuration(1);
    animation.setBeginTime(10);
    animation.setFillMode(BasicAnimation::FillMode::both);
    animation.setRemovedOnCompletion(false);
    EXPECT_EQ(animation.valueAt(9, 0.0, 1.0), LayerValue(0.0));
    EXPECT_EQ(animation.valueAt(12, 0.0, 1.0), LayerValue(1.0));
}

TEST(BasicAnimation, UnusableDurationEndsAtOnce) {
    auto animation = BasicAnimation::animationWithKeyPath("opacity");
    animation.setBeginTime(10);
    for (double duration : {-1.0, std::numeric_limits<double>::quiet_NaN()}) {
        animation.setDuration(duration);
        EXPECT_EQ(animation.endTime(), 10) << duration;
        EXPECT_FALSE(animation.isRunning(10)) << duration;
    }
}
