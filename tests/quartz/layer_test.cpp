#include "platform/quartz/layer.h"

#include <gtest/gtest.h>

using quartz::Color;
using quartz::Layer;
using quartz::LayerDelegate;
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

TEST(Layer, HasCoreAnimationDefaults) {
    auto layer = Layer::layer();
    EXPECT_EQ(layer->bounds(), Rect());
    EXPECT_EQ(layer->position(), (Point{0, 0}));
    EXPECT_EQ(layer->anchorPoint(), (Point{0.5, 0.5}));
    EXPECT_FALSE(layer->geometryFlipped());
    EXPECT_EQ(layer->backgroundColor(), std::nullopt);
    EXPECT_EQ(layer->borderColor(), Color(0, 0, 0, 1));
    EXPECT_EQ(layer->borderWidth(), 0);
    EXPECT_EQ(layer->cornerRadius(), 0);
    EXPECT_FALSE(layer->masksToBounds());
    EXPECT_EQ(layer->opacity(), 1.0f);
    EXPECT_EQ(layer->shadowColor(), Color(0, 0, 0, 1));
    EXPECT_EQ(layer->shadowOpacity(), 0.0f);
    EXPECT_EQ(layer->shadowRadius(), 3);
    EXPECT_EQ(layer->shadowOffset(), (Size{0, -3}));
    EXPECT_EQ(layer->mask(), nullptr);
    EXPECT_EQ(layer->contents(), nullptr);
    EXPECT_EQ(layer->contentsScale(), 1);
    EXPECT_TRUE(layer->sublayers().empty());
    EXPECT_EQ(layer->superlayer(), nullptr);
    EXPECT_EQ(layer->delegate(), nullptr);
    EXPECT_TRUE(layer->animationKeys().empty());
}

TEST(Layer, FramePlacesTheBoundsAroundThePosition) {
    auto layer = Layer::layer();
    layer->setFrame(Rect(10, 20, 100, 50));
    EXPECT_EQ(layer->position(), (Point{60, 45}));
    EXPECT_EQ(layer->bounds(), Rect(0, 0, 100, 50));
    EXPECT_EQ(layer->frame(), Rect(10, 20, 100, 50));
}

TEST(Layer, SettingBoundsAfterFrameKeepsTheCentre) {
    auto layer = Layer::layer();
    layer->setFrame(Rect(10, 20, 100, 50));
    layer->setBounds(Rect(0, 0, 40, 10));
    EXPECT_EQ(layer->frame(), Rect(40, 40, 40, 10));
}

TEST(Layer, SettingFrameKeepsTheBoundsOrigin) {
    auto layer = Layer::layer();
    layer->setBounds(Rect(5, 7, 1, 1));
    layer->setFrame(Rect(0, 0, 20, 10));
    EXPECT_EQ(layer->bounds(), Rect(5, 7, 20, 10));
}

TEST(Layer, FrameFollowsTheAnchorPoint) {
    auto layer = Layer::layer();
    layer->setAnchorPoint({0, 1});
    layer->setFrame(Rect(10, 20, 100, 50));
    EXPECT_EQ(layer->position(), (Point{10, 70}));
    layer->setPosition({0, 0});
    EXPECT_EQ(layer->frame(), Rect(0, -50, 100, 50));
}

TEST(Layer, SublayersStayInOrderBottomToTop) {
    auto root = Layer::layer();
    auto bottom = Layer::layer();
    auto top = Layer::layer();
    root->addSublayer(bottom);
    root->addSublayer(top);
    EXPECT_EQ(sublayersOf(*root), (std::vector<Layer*>{bottom.get(), top.get()}));
    EXPECT_EQ(bottom->superlayer(), root);
    EXPECT_EQ(top->superlayer(), root);
}

TEST(Layer, InsertSublayerPutsItAtTheIndex) {
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
    EXPECT_EQ(middle->superlayer(), root);
}

TEST(Layer, AddingItAgainMovesItToTheTop) {
    auto root = Layer::layer();
    auto first = Layer::layer();
    auto second = Layer::layer();
    root->addSublayer(first);
    root->addSublayer(second);
    root->addSublayer(first);
    EXPECT_EQ(sublayersOf(*root), (std::vector<Layer*>{second.get(), first.get()}));
}

TEST(Layer, ReparentingRemovesItFromTheOldSuperlayer) {
    auto oldParent = Layer::layer();
    auto newParent = Layer::layer();
    auto child = Layer::layer();
    oldParent->addSublayer(child);
    newParent->insertSublayer(child, 0);
    EXPECT_TRUE(oldParent->sublayers().empty());
    EXPECT_EQ(sublayersOf(*newParent), (std::vector<Layer*>{child.get()}));
    EXPECT_EQ(child->superlayer(), newParent);
}

TEST(Layer, RemoveFromSuperlayerUnlinksBothSides) {
    auto root = Layer::layer();
    auto child = Layer::layer();
    root->addSublayer(child);
    child->removeFromSuperlayer();
    EXPECT_TRUE(root->sublayers().empty());
    EXPECT_EQ(child->superlayer(), nullptr);
    child->removeFromSuperlayer();
}

TEST(Layer, SuperlayerOwnsItsSublayers) {
    auto root = Layer::layer();
    std::weak_ptr<Layer> child;
    {
        auto made = Layer::layer();
        child = made;
        root->addSublayer(made);
    }
    ASSERT_FALSE(child.expired());
    child.lock()->removeFromSuperlayer();
    EXPECT_TRUE(child.expired());
}

TEST(Layer, SublayerDoesNotKeepItsSuperlayerAlive) {
    auto child = Layer::layer();
    {
        auto root = Layer::layer();
        root->addSublayer(child);
    }
    EXPECT_EQ(child->superlayer(), nullptr);
}

TEST(Layer, AddingItselfOrASuperlayerIsRefused) {
    auto root = Layer::layer();
    auto child = Layer::layer();
    root->addSublayer(child);
    child->addSublayer(root);
    child->addSublayer(child);
    child->insertSublayer(nullptr, 0);
    EXPECT_TRUE(child->sublayers().empty());
    EXPECT_EQ(root->superlayer(), nullptr);
    EXPECT_EQ(child->superlayer(), root);
}

TEST(Layer, MaskIsOwnedByTheLayer) {
    auto layer = Layer::layer();
    std::weak_ptr<Layer> mask;
    {
        auto made = Layer::layer();
        mask = made;
        layer->setMask(made);
    }
    EXPECT_FALSE(mask.expired());
    EXPECT_EQ(layer->mask(), mask.lock());
    EXPECT_TRUE(layer->sublayers().empty());
    layer.reset();
    EXPECT_TRUE(mask.expired());
}

TEST(Layer, DelegateIsWeak) {
    auto layer = Layer::layer();
    auto delegate = std::make_shared<LayerDelegate>();
    layer->setDelegate(delegate);
    EXPECT_EQ(layer->delegate(), delegate);
    delegate.reset();
    EXPECT_EQ(layer->delegate(), nullptr);
}
