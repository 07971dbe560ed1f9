#include "platform/foundation/clock.h"
#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/layer_tree_description.h"
#include "platform/quartz/shape_layer.h"
#include "platform/quartz/text_layer.h"

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

TEST(Layer, FrameIsTheBoundsPlacedByPositionAndAnchorPoint) {
    auto layer = Layer::layer();
    layer->setBounds(Rect(5, 7, 1, 1));
    layer->setAnchorPoint({0, 1});
    layer->setFrame(Rect(10, 20, 100, 50));
    EXPECT_EQ(layer->position(), (Point{10, 70}));
    EXPECT_EQ(layer->bounds(), Rect(5, 7, 100, 50));
    layer->setPosition({0, 0});
    EXPECT_EQ(layer->frame(), Rect(0, -50, 100, 50));
}

TEST(Layer, SublayersKeepTheirOrderAndOneSuperlayerAndNoCycle) {
    auto root = Layer::layer();
    std::vector<std::shared_ptr<Layer>> made;
    for (int i = 0; i < 4; ++i)
        made.push_back(Layer::layer());
    auto order = [&] {
        std::vector<Layer*> result;
        for (const auto& sublayer : root->sublayers())
            result.push_back(sublayer.get());
        return result;
    };
    root->addSublayer(made[0]);
    root->addSublayer(made[1]);
    root->insertSublayer(made[2], 1);
    root->insertSublayer(made[3], 99);
    root->addSublayer(made[0]);
    EXPECT_EQ(order(), (std::vector{made[2].get(), made[1].get(), made[3].get(), made[0].get()}));
    Layer::layer()->insertSublayer(made[2], 0);
    made[1]->removeFromSuperlayer();
    EXPECT_EQ(made[1]->superlayer(), nullptr);
    EXPECT_EQ(order(), (std::vector{made[3].get(), made[0].get()}));
    made[0]->addSublayer(root);
    made[0]->addSublayer(made[0]);
    EXPECT_TRUE(made[0]->sublayers().empty());
    EXPECT_EQ(root->superlayer(), nullptr);
    // A layer owns its sublayers and mask but not its superlayer or delegate.
    std::weak_ptr<Layer> mask = made[2];
    root->setMask(std::move(made[2]));
    auto delegate = std::make_shared<LayerDelegate>();
    root->setDelegate(delegate);
    delegate.reset();
    EXPECT_EQ(root->delegate(), nullptr);
    EXPECT_FALSE(mask.expired());
    root.reset();
    EXPECT_TRUE(mask.expired());
    EXPECT_EQ(made[0]->superlayer(), nullptr);
}

// Animations reach properties by key: each key must name its own property, and only with a value
// of its kind.
TEST(Layer, EveryAnimatableKeyReachesItsOwnPropertyAndOnlyWithItsKindOfValue) {
    const std::pair<const char*, LayerValue> keys[] = {
        {"backgroundColor", red},
        {"borderColor", Color(0, 1, 0, 0.5)},
        {"borderWidth", 2.5},
        {"cornerRadius", 6.0},
        {"opacity", 0.25},
        {"shadowColor", blue},
        {"shadowOpacity", 0.75},
        {"shadowRadius", 8.0},
        {"shadowOffset", Size{2, 4}},
        {"bounds", Rect(1, 2, 30, 40)},
        {"position", Point{15, 25}},
        {"anchorPoint", Point{0, 1}},
    };
    for (const auto& [key, value] : keys) {
        auto layer = Layer::layer();
        auto before = layer->valueForKey(key);
        for (const auto& [other, wrong] : keys)
            if (wrong.index() != value.index()) {
                EXPECT_FALSE(layer->setValueForKey(wrong, key)) << key << " took " << other;
            }
        EXPECT_EQ(layer->valueForKey(key), before) << key;
        EXPECT_TRUE(layer->setValueForKey(value, key)) << key;
        for (const auto& [other, unused] : keys)
            EXPECT_EQ(layer->valueForKey(other) == value, std::string_view(other) == key)
                << key << " reached " << other;
    }
    for (const char* unknown : {"frame", "position.x", "Opacity", "fontSize", "startPoint"})
        EXPECT_FALSE(Layer::layer()->setValueForKey(1.0, unknown)) << unknown;
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

TEST_F(LayerAnimation, TreeAnimatesWhileAnySublayerOrMaskDoes) {
    auto child = Layer::layer();
    auto mask = Layer::layer();
    layer_->addSublayer(Layer::layer());
    layer_->sublayers()[0]->addSublayer(child);
    layer_->setMask(mask);
    EXPECT_FALSE(treeIsAnimating(*layer_, now()));
    child->addAnimation(fade(red, blue), "fade");
    EXPECT_TRUE(treeIsAnimating(*layer_, now()));
    EXPECT_FALSE(treeIsAnimating(*layer_, now() + 1));
    mask->addAnimation(fade(red, blue, 2), "fade");
    EXPECT_TRUE(treeIsAnimating(*layer_, now() + 1));
}

TEST(LayerTreeDescription, ListsChangedPropertiesAnimationsAndIndentsSublayersAndMask) {
    foundation::ScopedManualClock clock;
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 100, 40));
    root->setOpacity(0.5f);
    root->setGeometryFlipped(true);
    clock->advance(0.25);
    root->addAnimation(fade(std::nullopt, Color(1.0 / 3, 0, 0, 1), 0.1, FillMode::forwards), "fade");
    auto mask = ShapeLayer::layer();
    mask->setFillColor(std::nullopt);
    root->setMask(mask);
    auto text = TextLayer::layer();
    text->setString("OK");
    root->addSublayer(text);
    auto gradient = GradientLayer::layer();
    gradient->setLocations(std::vector<double>{0, 0.25});
    text->addSublayer(gradient);
    double start = clock->now() - 0.25;
    EXPECT_EQ(
        describeTree(*root, {.timeOrigin = start, .now = start + 0.3, .indent = 1}),
        " Layer frame=(0, 0, 100, 40) position=(50, 20) anchor=(0.5, 0.5) scale=1 geometryFlipped=true "
        "opacity=0.5\n"
        "   animation backgroundColor from=none to=rgba(0.3333, 0, 0, 1) begin=0.25 duration=0.1 "
        "fill=forwards running\n"
        "   mask: ShapeLayer frame=(0, 0, 0, 0) position=(0, 0) anchor=(0.5, 0.5) scale=1 fillColor=none\n"
        "   TextLayer frame=(0, 0, 0, 0) position=(0, 0) anchor=(0.5, 0.5) scale=1 string=\"OK\" font=\"\" "
        "fontSize=36 foregroundColor=rgba(1, 1, 1, 1)\n"
        "     GradientLayer frame=(0, 0, 0, 0) position=(0, 0) anchor=(0.5, 0.5) scale=1 colors=[] "
        "locations=[0, 0.25] startPoint=(0.5, 0) endPoint=(0.5, 1)\n");
    EXPECT_EQ(describeNumber(-1e-9), "0");
}
