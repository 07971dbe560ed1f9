#include "platform/foundation/clock.h"
#include "platform/quartz/layer.h"

#include <gtest/gtest.h>

using namespace quartz;
using FillMode = BasicAnimation::FillMode;

namespace {

const Color red(1, 0, 0, 1);
const Color blue(0, 0, 1, 1);
const Color green(0, 1, 0, 1);

BasicAnimation fade(std::optional<LayerValue> from, std::optional<LayerValue> to, double duration = 1,
                    std::optional<FillMode> heldWith = std::nullopt, const char* key = "backgroundColor") {
    auto animation = BasicAnimation::animationWithKeyPath(key);
    animation.setFromValue(std::move(from));
    animation.setToValue(std::move(to));
    animation.setDuration(duration);
    if (heldWith) {
        animation.setRemovedOnCompletion(false);
        animation.setFillMode(*heldWith);
    }
    return animation;
}

} // namespace

TEST(Layer, SublayersKeepTheirOrderAndOneSuperlayerAndNoCycle) {
    auto root = Layer::layer();
    auto a = Layer::layer(), b = Layer::layer(), c = Layer::layer(), d = Layer::layer();
    root->addSublayer(a);
    root->addSublayer(b);
    root->insertSublayer(c, 1);
    root->insertSublayer(d, 99);
    root->addSublayer(a);
    EXPECT_EQ(root->sublayers(), (std::vector{c, b, d, a}));
    Layer::layer()->insertSublayer(c, 0);
    b->removeFromSuperlayer();
    EXPECT_EQ(b->superlayer(), nullptr);
    EXPECT_EQ(root->sublayers(), (std::vector{d, a}));
    a->addSublayer(root);
    a->addSublayer(a);
    EXPECT_TRUE(a->sublayers().empty());
}

class LayerAnimation : public ::testing::Test {
protected:
    double now() { return clock_->now(); }
    std::optional<Color> shown(double after) {
        return layer_->presentedValue<Color>("backgroundColor", now() + after);
    }

    foundation::ScopedManualClock clock_;
    std::shared_ptr<Layer> layer_ = Layer::layer();
};

// Missing ends come from the model as it is when asked; values of another kind are ignored.
TEST_F(LayerAnimation, ThePresentationMixesFromAndToWhileTheModelStays) {
    layer_->setBackgroundColor(blue);
    auto animation = fade(red, std::nullopt);
    layer_->addAnimation(animation, "fade");
    animation.setDuration(50); // the layer keeps a copy
    EXPECT_EQ(shown(0.5), Color(0.5, 0, 0.5, 1));
    layer_->setBackgroundColor(green);
    EXPECT_EQ(shown(0.5), Color(0.5, 0.5, 0, 1));
    EXPECT_EQ(shown(1), green);
    EXPECT_EQ(layer_->backgroundColor(), green);

    layer_->setOpacity(0);
    layer_->addAnimation(fade(red, blue, 1, std::nullopt, "opacity"), "opacity");
    EXPECT_EQ(layer_->presentationValueForKey("opacity", now() + 0.5), LayerValue(0.0));
    layer_->setBounds(Rect(0, 0, 100, 100));
    layer_->addAnimation(fade(Rect(0, 0, 0, 0), std::nullopt, 4, std::nullopt, "bounds"), "grow");
    EXPECT_EQ(layer_->presentedValue<Rect>("bounds", now() + 1), Rect(0, 0, 25, 25));
}

TEST_F(LayerAnimation, FillModesDecideWhatShowsOutsideTheActiveTime) {
    layer_->setBackgroundColor(green);
    layer_->addAnimation(fade(red, blue), "fade");
    EXPECT_EQ(shown(-1), green);
    EXPECT_TRUE(layer_->isAnimating(now() + 0.999));
    EXPECT_FALSE(layer_->isAnimating(now() + 1));
    layer_->removeFinishedAnimations(now() + 0.5);
    EXPECT_NE(layer_->animationForKey("fade"), nullptr);
    layer_->removeFinishedAnimations(now() + 1);
    EXPECT_EQ(layer_->animationForKey("fade"), nullptr);

    layer_->addAnimation(fade(red, blue, 1, FillMode::backwards), "fade");
    EXPECT_EQ(shown(-1), red);
    EXPECT_EQ(shown(2), green);
    layer_->addAnimation(fade(red, blue, 0, FillMode::forwards), "fade");
    EXPECT_EQ(shown(0), blue);
    EXPECT_EQ(shown(100), blue);
    EXPECT_FALSE(layer_->isAnimating(now())); // held, it needs no frames
    layer_->removeFinishedAnimations(now() + 10);
    EXPECT_EQ(layer_->animationKeys(), std::vector<std::string>{"fade"});
}

TEST_F(LayerAnimation, AKeyHoldsOneAnimationAndTheLatestOfAKeyPathShows) {
    layer_->addAnimation(fade(red, blue), "fade");
    clock_->advance(0.5);
    // Without a from value the replacement starts from what was shown.
    layer_->addAnimation(fade(std::nullopt, green, 1, FillMode::forwards), "fade");
    EXPECT_EQ(layer_->animationKeys(), std::vector<std::string>{"fade"});
    EXPECT_EQ(shown(0.5), Color(0.25, 0.5, 0.25, 1));
    layer_->removeAllAnimations();

    layer_->addAnimation(fade(red, red, 10), "b");
    layer_->addAnimation(fade(blue, blue, 1), "a");
    EXPECT_EQ(layer_->animationKeys(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(shown(0.5), blue);
    EXPECT_EQ(shown(2), red);
    layer_->removeAnimationForKey("a");
    EXPECT_EQ(shown(0.5), red);
}
