#include "platform/foundation/clock.h"
#include "platform/quartz/layer.h"

#include <gtest/gtest.h>

using quartz::BasicAnimation;
using quartz::Color;
using quartz::Layer;
using quartz::LayerValue;
using FillMode = quartz::BasicAnimation::FillMode;

namespace {

const Color red(1, 0, 0, 1);
const Color blue(0, 0, 1, 1);
const Color green(0, 1, 0, 1);

BasicAnimation colorAnimation(std::optional<LayerValue> from, std::optional<LayerValue> to,
                              double duration = 1.0) {
    auto animation = BasicAnimation::animationWithKeyPath("backgroundColor");
    animation.setFromValue(std::move(from));
    animation.setToValue(std::move(to));
    animation.setDuration(duration);
    return animation;
}

BasicAnimation held(BasicAnimation animation) {
    animation.setRemovedOnCompletion(false);
    animation.setFillMode(FillMode::forwards);
    return animation;
}

} // namespace

class LayerAnimation : public ::testing::Test {
protected:
    double now() { return clock_->now(); }
    std::optional<Color> shownColor(double time) const {
        return layer_->presentedValue<Color>("backgroundColor", time);
    }

    foundation::ScopedManualClock clock_;
    std::shared_ptr<Layer> layer_ = Layer::layer();
};

TEST_F(LayerAnimation, WithoutAnimationsThePresentationIsTheModel) {
    layer_->setOpacity(0.5f);
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now()), LayerValue(0.5));
    EXPECT_EQ(layer_->presentationValueForKey("backgroundColor", now()), LayerValue());
    EXPECT_EQ(layer_->presentationValueForKey("nonsense", now()), std::nullopt);
}

TEST_F(LayerAnimation, AddingRecordsTheBeginTimeAndKeepsACopy) {
    auto animation = colorAnimation(red, blue);
    layer_->addAnimation(animation, "fade");
    animation.setDuration(50);
    auto stored = layer_->animationForKey("fade");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->beginTime(), now());
    EXPECT_EQ(stored->duration(), 1.0);
    EXPECT_EQ(layer_->animationForKey("other"), nullptr);
}

TEST_F(LayerAnimation, PresentationColorHalfwayIsTheMidpoint) {
    layer_->setBackgroundColor(blue);
    double begin = now();
    layer_->addAnimation(colorAnimation(red, blue), "fade");
    EXPECT_EQ(shownColor(begin), red);
    EXPECT_EQ(shownColor(begin + 0.5), Color(0.5, 0, 0.5, 1));
    EXPECT_EQ(layer_->backgroundColor(), blue);
}

TEST_F(LayerAnimation, HeldAnimationShowsTheToValueAfterTheEnd) {
    layer_->addAnimation(held(colorAnimation(red, blue)), "fade");
    EXPECT_EQ(shownColor(now() + 1.0), blue);
    EXPECT_EQ(shownColor(now() + 100), blue);
    EXPECT_EQ(layer_->backgroundColor(), std::nullopt);
}

TEST_F(LayerAnimation, ModelValueShowsOnceAHeldAnimationIsRemoved) {
    layer_->setBackgroundColor(green);
    layer_->addAnimation(held(colorAnimation(red, blue)), "fade");
    layer_->removeAnimationForKey("fade");
    EXPECT_EQ(shownColor(now() + 2), green);
}

TEST_F(LayerAnimation, AnimationRemovedOnCompletionShowsTheModelAfterItsEnd) {
    layer_->setBackgroundColor(green);
    auto animation = colorAnimation(red, blue);
    animation.setFillMode(FillMode::forwards);
    layer_->addAnimation(animation, "fade");
    double end = now() + 1.0;
    // Still on the layer, but finished and due for removal.
    EXPECT_EQ(shownColor(end), green);
    layer_->removeFinishedAnimations(end - 0.5);
    EXPECT_NE(layer_->animationForKey("fade"), nullptr);
    layer_->removeFinishedAnimations(end);
    EXPECT_EQ(layer_->animationForKey("fade"), nullptr);
    EXPECT_EQ(shownColor(end), green);
}

TEST_F(LayerAnimation, RemoveFinishedAnimationsKeepsHeldOnes) {
    layer_->addAnimation(held(colorAnimation(red, blue)), "fade");
    layer_->removeFinishedAnimations(now() + 10);
    EXPECT_EQ(layer_->animationKeys(), std::vector<std::string>{"fade"});
}

TEST_F(LayerAnimation, SecondAnimationUnderTheSameKeyReplacesTheFirst) {
    layer_->addAnimation(colorAnimation(red, blue), "fade");
    clock_->advance(0.5);
    layer_->addAnimation(held(colorAnimation(green, red)), "fade");
    EXPECT_EQ(layer_->animationKeys(), std::vector<std::string>{"fade"});
    EXPECT_EQ(layer_->animationForKey("fade")->fromValue(), LayerValue(green));
    EXPECT_EQ(shownColor(now()), green);
}

TEST_F(LayerAnimation, ReplacementWithoutFromValueStartsFromTheValueShown) {
    layer_->addAnimation(colorAnimation(red, blue), "fade");
    clock_->advance(0.5);
    layer_->addAnimation(held(colorAnimation(std::nullopt, green)), "fade");
    EXPECT_EQ(shownColor(now()), Color(0.5, 0, 0.5, 1));
    EXPECT_EQ(shownColor(now() + 0.5), Color(0.25, 0.5, 0.25, 1));
    EXPECT_EQ(shownColor(now() + 1), green);
}

TEST_F(LayerAnimation, WithoutFromValueAnAbsentColourStartsFromClear) {
    layer_->addAnimation(colorAnimation(std::nullopt, Color(1, 1, 1, 1)), "fade");
    EXPECT_EQ(shownColor(now() + 0.5), Color(0.5, 0.5, 0.5, 0.5));
}

TEST_F(LayerAnimation, WithoutToValueItAnimatesToTheModel) {
    layer_->setOpacity(0);
    auto animation = BasicAnimation::animationWithKeyPath("opacity");
    animation.setFromValue(1.0);
    animation.setDuration(2);
    layer_->addAnimation(animation, "opacity");
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now() + 0.5), LayerValue(0.75));
    // The model as it is when asked, not as it was when added.
    layer_->setOpacity(0.5f);
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now() + 1), LayerValue(0.75));
}

TEST_F(LayerAnimation, ZeroDurationShowsTheToValueAtOnce) {
    layer_->addAnimation(held(colorAnimation(red, blue, 0)), "fade");
    EXPECT_EQ(shownColor(now()), blue);
    EXPECT_FALSE(layer_->isAnimating(now()));
}

TEST_F(LayerAnimation, LastAddedAnimationOfAKeyPathWins) {
    layer_->addAnimation(held(colorAnimation(red, red)), "first");
    layer_->addAnimation(held(colorAnimation(blue, blue)), "second");
    EXPECT_EQ(shownColor(now() + 0.5), blue);
    layer_->removeAnimationForKey("second");
    EXPECT_EQ(shownColor(now() + 0.5), red);
}

TEST_F(LayerAnimation, EarlierAnimationShowsAgainOnceTheLaterOneEnds) {
    layer_->addAnimation(colorAnimation(red, red, 10), "long");
    layer_->addAnimation(colorAnimation(blue, blue, 1), "short");
    EXPECT_EQ(shownColor(now() + 0.5), blue);
    EXPECT_EQ(shownColor(now() + 2), red);
}

TEST_F(LayerAnimation, BackwardsFillShowsTheFromValueBeforeTheBegin) {
    layer_->setBackgroundColor(green);
    auto animation = colorAnimation(red, blue);
    layer_->addAnimation(animation, "plain");
    EXPECT_EQ(shownColor(now() - 1), green);
    animation.setFillMode(FillMode::backwards);
    layer_->addAnimation(animation, "plain");
    EXPECT_EQ(shownColor(now() - 1), red);
}

TEST_F(LayerAnimation, AnimationWithValuesOfTheWrongKindIsIgnored) {
    auto animation = BasicAnimation::animationWithKeyPath("opacity");
    animation.setFromValue(red);
    animation.setToValue(blue);
    animation.setDuration(1);
    layer_->addAnimation(animation, "opacity");
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now() + 0.5), LayerValue(1.0));
}

TEST_F(LayerAnimation, AnimationOfAnUnknownKeyPathIsHarmless) {
    auto animation = BasicAnimation::animationWithKeyPath("wobble");
    animation.setToValue(1.0);
    animation.setDuration(1);
    layer_->addAnimation(animation, "wobble");
    EXPECT_EQ(layer_->presentationValueForKey("wobble", now() + 0.5), std::nullopt);
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now() + 0.5), LayerValue(1.0));
}

TEST_F(LayerAnimation, AnimatesUntilItsEndOnly) {
    layer_->addAnimation(colorAnimation(red, blue), "fade");
    EXPECT_TRUE(layer_->isAnimating(now()));
    EXPECT_TRUE(layer_->isAnimating(now() + 0.999));
    EXPECT_FALSE(layer_->isAnimating(now() + 1));
}

TEST_F(LayerAnimation, AnimationHeldByFillForwardsNeedsNoFrames) {
    layer_->addAnimation(held(colorAnimation(red, blue)), "fade");
    EXPECT_FALSE(layer_->isAnimating(now() + 1.5));
    EXPECT_EQ(shownColor(now() + 1.5), blue);
}

TEST_F(LayerAnimation, TreeAnimatesWhileAnySublayerOrMaskDoes) {
    auto child = Layer::layer();
    auto grandchild = Layer::layer();
    auto mask = Layer::layer();
    layer_->addSublayer(child);
    child->addSublayer(grandchild);
    EXPECT_FALSE(quartz::treeIsAnimating(*layer_, now()));
    grandchild->addAnimation(colorAnimation(red, blue), "fade");
    EXPECT_TRUE(quartz::treeIsAnimating(*layer_, now()));
    EXPECT_FALSE(quartz::treeIsAnimating(*layer_, now() + 1));
    grandchild->removeAllAnimations();
    layer_->setMask(mask);
    mask->addAnimation(colorAnimation(red, blue), "fade");
    EXPECT_TRUE(quartz::treeIsAnimating(*layer_, now()));
}

TEST_F(LayerAnimation, KeysListInTheOrderAdded) {
    layer_->addAnimation(colorAnimation(red, blue), "b");
    layer_->addAnimation(colorAnimation(red, blue), "a");
    layer_->addAnimation(colorAnimation(red, blue), "b");
    EXPECT_EQ(layer_->animationKeys(), (std::vector<std::string>{"a", "b"}));
    layer_->removeAllAnimations();
    EXPECT_TRUE(layer_->animationKeys().empty());
}

TEST_F(LayerAnimation, GeometryAnimatesComponentWise) {
    layer_->setBounds(quartz::Rect(0, 0, 100, 100));
    auto animation = BasicAnimation::animationWithKeyPath("bounds");
    animation.setFromValue(quartz::Rect(0, 0, 0, 0));
    animation.setDuration(4);
    layer_->addAnimation(animation, "grow");
    EXPECT_EQ(layer_->presentedValue<quartz::Rect>("bounds", now() + 1), quartz::Rect(0, 0, 25, 25));
    EXPECT_EQ(layer_->presentedValue<quartz::Point>("bounds", now() + 1), std::nullopt);
}
