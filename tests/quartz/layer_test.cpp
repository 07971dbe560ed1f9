#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/layer.h"
#include "platform/quartz/text_layer.h"

#include <gtest/gtest.h>

using quartz::Color;
using quartz::Layer;
using quartz::LayerValue;
using quartz::Point;
using quartz::Rect;
using quartz::Size;

namespace {

std::vector<Layer*> sublayersOf(const Layer& layer) {
    std::vector<Layer*> result;
    for (const auto& sublayer : layer.sublayers())
        result.push_back(sublayer.get());
    return result;
}

} // namespace

TEST(Layer, FrameIsTheBoundsPlacedByPositionAndAnchorPoint) {
    auto layer = Layer::layer();
    layer->setBounds(Rect(5, 7, 1, 1));
    layer->setFrame(Rect(10, 20, 100, 50));
    EXPECT_EQ(layer->position(), (Point{60, 45}));
    EXPECT_EQ(layer->bounds(), Rect(5, 7, 100, 50));
    layer->setBounds(Rect(0, 0, 40, 10));
    EXPECT_EQ(layer->frame(), Rect(40, 40, 40, 10));
    layer->setAnchorPoint({0, 1});
    layer->setFrame(Rect(10, 20, 100, 50));
    EXPECT_EQ(layer->position(), (Point{10, 70}));
    layer->setPosition({0, 0});
    EXPECT_EQ(layer->frame(), Rect(0, -50, 100, 50));
}

TEST(Layer, SublayersKeepTheirOrderAndOneSuperlayer) {
    auto root = Layer::layer();
    auto first = Layer::layer();
    auto second = Layer::layer();
    auto middle = Layer::layer();
    auto beyond = Layer::layer();
    root->addSublayer(first);
    root->addSublayer(second);
    root->insertSublayer(middle, 1);
    root->insertSublayer(beyond, 99);
    EXPECT_EQ(sublayersOf(*root),
              (std::vector<Layer*>{first.get(), middle.get(), second.get(), beyond.get()}));
    root->addSublayer(first);
    EXPECT_EQ(sublayersOf(*root),
              (std::vector<Layer*>{middle.get(), second.get(), beyond.get(), first.get()}));
    auto other = Layer::layer();
    other->insertSublayer(middle, 0);
    EXPECT_EQ(middle->superlayer(), other);
    EXPECT_EQ(sublayersOf(*root), (std::vector<Layer*>{second.get(), beyond.get(), first.get()}));
    second->removeFromSuperlayer();
    second->removeFromSuperlayer();
    EXPECT_EQ(second->superlayer(), nullptr);
    EXPECT_EQ(sublayersOf(*root), (std::vector<Layer*>{beyond.get(), first.get()}));
    // A cycle is refused.
    first->addSublayer(root);
    first->addSublayer(first);
    first->insertSublayer(nullptr, 0);
    EXPECT_TRUE(first->sublayers().empty());
    EXPECT_EQ(root->superlayer(), nullptr);
}

TEST(Layer, OwnsItsSublayersAndMaskButNotItsSuperlayerOrDelegate) {
    auto root = Layer::layer();
    std::weak_ptr<Layer> child;
    std::weak_ptr<Layer> mask;
    auto delegate = std::make_shared<quartz::LayerDelegate>();
    {
        auto made = Layer::layer();
        child = made;
        root->addSublayer(made);
        auto madeMask = Layer::layer();
        mask = madeMask;
        root->setMask(madeMask);
        root->setDelegate(delegate);
    }
    ASSERT_FALSE(child.expired());
    EXPECT_FALSE(mask.expired());
    EXPECT_EQ(root->sublayers().size(), 1u);
    delegate.reset();
    EXPECT_EQ(root->delegate(), nullptr);
    auto kept = child.lock();
    root.reset();
    EXPECT_TRUE(mask.expired());
    EXPECT_EQ(kept->superlayer(), nullptr);
    kept.reset();
    EXPECT_TRUE(child.expired());
}

// Animations reach properties by key: each key must name its own property, and only with a value
// of its kind.
TEST(Layer, EveryAnimatableKeyReachesItsOwnPropertyAndOnlyWithItsKindOfValue) {
    struct KeyedValue {
        const char* key;
        LayerValue value;
    };
    const KeyedValue keys[] = {
        {"backgroundColor", Color(1, 0, 0, 1)},
        {"borderColor", Color(0, 1, 0, 0.5)},
        {"borderWidth", 2.5},
        {"cornerRadius", 6.0},
        {"opacity", 0.25},
        {"shadowColor", Color(0, 0, 1, 1)},
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
        EXPECT_NE(before, value) << key;
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
    auto layer = Layer::layer();
    layer->setValueForKey(Size{2, 4}, "shadowOffset");
    EXPECT_EQ(layer->shadowOffset(), (Size{2, 4}));
    for (const char* unknown : {"frame", "", "position.x", "Opacity", "fontSize", "startPoint"})
        EXPECT_FALSE(layer->setValueForKey(1.0, unknown)) << unknown;
    EXPECT_FALSE(quartz::TextLayer::layer()->setValueForKey(Point{0, 0}, "startPoint"));
    EXPECT_EQ(quartz::GradientLayer::layer()->valueForKey("fillColor"), std::nullopt);
}
