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

TEST_F(LayerAnimation, ThePresentationMixesFromAndToWhileTheModelStays) {
    layer_->setOpacity(0.5f);
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now()), LayerValue(0.5));
    EXPECT_EQ(layer_->presentationValueForKey("nonsense", now()), std::nullopt);
    layer_->setBackgroundColor(blue);
    auto animation = colorAnimation(red, blue);
    layer_->addAnimation(animation, "fade");
    animation.setDuration(50); // the layer keeps a copy
    EXPECT_EQ(layer_->animationForKey("fade")->beginTime(), now());
    EXPECT_EQ(shownColor(now()), red);
    EXPECT_EQ(shownColor(now() + 0.5), Color(0.5, 0, 0.5, 1));
    EXPECT_EQ(shownColor(now() + 1), blue);
    EXPECT_EQ(layer_->backgroundColor(), blue);
}

TEST_F(LayerAnimation, MissingEndsComeFromTheModelAndOtherKindsAreIgnored) {
    auto other = Layer::layer();
    other->addAnimation(colorAnimation(std::nullopt, Color(1, 1, 1, 1)), "fade");
    EXPECT_EQ(other->presentedValue<Color>("backgroundColor", now() + 0.5), Color(0.5, 0.5, 0.5, 0.5));

    layer_->setOpacity(0);
    auto animation = BasicAnimation::animationWithKeyPath("opacity");
    animation.setFromValue(1.0);
    animation.setDuration(2);
    layer_->addAnimation(animation, "opacity");
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now() + 0.5), LayerValue(0.75));
    // The model as it is when asked, not as it was when added.
    layer_->setOpacity(0.5f);
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now() + 1), LayerValue(0.75));

    animation.setFromValue(red);
    animation.setToValue(blue);
    layer_->addAnimation(animation, "opacity");
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now() + 0.5), LayerValue(0.5));
    auto wobble = BasicAnimation::animationWithKeyPath("wobble");
    wobble.setToValue(1.0);
    layer_->addAnimation(wobble, "wobble");
    EXPECT_EQ(layer_->presentationValueForKey("wobble", now() + 0.5), std::nullopt);

    layer_->setBounds(quartz::Rect(0, 0, 100, 100));
    auto grow = BasicAnimation::animationWithKeyPath("bounds");
    grow.setFromValue(quartz::Rect(0, 0, 0, 0));
    grow.setDuration(4);
    layer_->addAnimation(grow, "grow");
    EXPECT_EQ(layer_->presentedValue<quartz::Rect>("bounds", now() + 1), quartz::Rect(0, 0, 25, 25));
}

TEST_F(LayerAnimation, FillModesDecideWhatShowsOutsideTheActiveTime) {
    layer_->setBackgroundColor(green);
    auto plain = colorAnimation(red, blue);
    layer_->addAnimation(plain, "fade");
    EXPECT_EQ(shownColor(now() - 1), green);
    EXPECT_TRUE(layer_->isAnimating(now() + 0.999));
    EXPECT_FALSE(layer_->isAnimating(now() + 1));
    plain.setFillMode(FillMode::forwards); // but removed on completion
    layer_->addAnimation(plain, "fade");
    EXPECT_EQ(shownColor(now() + 1), green);
    layer_->removeFinishedAnimations(now() + 0.5);
    EXPECT_NE(layer_->animationForKey("fade"), nullptr);
    layer_->removeFinishedAnimations(now() + 1);
    EXPECT_EQ(layer_->animationForKey("fade"), nullptr);

    plain.setFillMode(FillMode::backwards);
    layer_->addAnimation(plain, "fade");
    EXPECT_EQ(shownColor(now() - 1), red);

    layer_->addAnimation(held(colorAnimation(red, blue)), "fade");
    EXPECT_EQ(shownColor(now() + 100), blue);
    EXPECT_FALSE(layer_->isAnimating(now() + 1.5)); // held, it needs no frames
    layer_->removeFinishedAnimations(now() + 10);
    EXPECT_EQ(layer_->animationKeys(), std::vector<std::string>{"fade"});
    layer_->removeAnimationForKey("fade");
    EXPECT_EQ(shownColor(now() + 2), green);

    layer_->addAnimation(held(colorAnimation(red, blue, 0)), "fade");
    EXPECT_EQ(shownColor(now()), blue);
    EXPECT_FALSE(layer_->isAnimating(now()));
}

TEST_F(LayerAnimation, AKeyHoldsOneAnimationAndTheLatestOfAKeyPathShows) {
    layer_->addAnimation(colorAnimation(red, blue), "fade");
    clock_->advance(0.5);
    layer_->addAnimation(held(colorAnimation(std::nullopt, green)), "fade");
    EXPECT_EQ(layer_->animationKeys(), std::vector<std::string>{"fade"});
    // Without a from value the replacement starts from what was shown.
    EXPECT_EQ(shownColor(now()), Color(0.5, 0, 0.5, 1));
    EXPECT_EQ(shownColor(now() + 0.5), Color(0.25, 0.5, 0.25, 1));
    layer_->removeAllAnimations();

    layer_->addAnimation(held(colorAnimation(red, red)), "b");
    layer_->addAnimation(held(colorAnimation(blue, blue)), "a");
    EXPECT_EQ(shownColor(now() + 0.5), blue);
    layer_->removeAnimationForKey("a");
    EXPECT_EQ(shownColor(now() + 0.5), red);
    layer_->addAnimation(colorAnimation(blue, blue, 1), "a");
    layer_->addAnimation(colorAnimation(green, green, 1), "b");
    EXPECT_EQ(layer_->animationKeys(), (std::vector<std::string>{"a", "b"}));
    layer_->removeAllAnimations();
    layer_->addAnimation(colorAnimation(red, red, 10), "long");
    layer_->addAnimation(colorAnimation(blue, blue, 1), "short");
    EXPECT_EQ(shownColor(now() + 0.5), blue);
    EXPECT_EQ(shownColor(now() + 2), red);
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
