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

struct KeyedValue {
    const char* key;
    LayerValue value;
};

// A value other than the default for every animatable key of a plain layer.
const KeyedValue plainLayerKeys[] = {
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

} // namespace

TEST(LayerKeyValue, EveryAnimatableKeyRoundTrips) {
    for (const auto& [key, value] : plainLayerKeys) {
        auto layer = Layer::layer();
        EXPECT_NE(layer->valueForKey(key), value) << key;
        EXPECT_TRUE(layer->setValueForKey(value, key)) << key;
        EXPECT_EQ(layer->valueForKey(key), value) << key;
    }
}

TEST(LayerKeyValue, SettingByKeyReachesTheProperty) {
    auto layer = Layer::layer();
    layer->setValueForKey(0.25, "opacity");
    layer->setValueForKey(Rect(0, 0, 30, 40), "bounds");
    layer->setValueForKey(Size{2, 4}, "shadowOffset");
    EXPECT_EQ(layer->opacity(), 0.25f);
    EXPECT_EQ(layer->bounds(), Rect(0, 0, 30, 40));
    EXPECT_EQ(layer->shadowOffset(), (Size{2, 4}));
}

TEST(LayerKeyValue, AbsentBackgroundColorReadsAsNoValueAndCanBeSetBack) {
    auto layer = Layer::layer();
    EXPECT_EQ(layer->valueForKey("backgroundColor"), LayerValue());
    layer->setBackgroundColor(Color(1, 1, 1, 1));
    EXPECT_TRUE(layer->setValueForKey(LayerValue(), "backgroundColor"));
    EXPECT_EQ(layer->backgroundColor(), std::nullopt);
}

TEST(LayerKeyValue, UnknownKeysAreRefused) {
    auto layer = Layer::layer();
    EXPECT_EQ(layer->valueForKey("frame"), std::nullopt);
    EXPECT_EQ(layer->valueForKey(""), std::nullopt);
    EXPECT_EQ(layer->valueForKey("position.x"), std::nullopt);
    EXPECT_FALSE(layer->setValueForKey(1.0, "Opacity"));
    EXPECT_FALSE(layer->setValueForKey(1.0, ""));
    EXPECT_EQ(layer->opacity(), 1.0f);
}

TEST(LayerKeyValue, ValuesOfTheWrongKindAreRefusedAndChangeNothing) {
    auto layer = Layer::layer();
    layer->setBackgroundColor(Color(1, 0, 0, 1));
    EXPECT_FALSE(layer->setValueForKey(1.0, "backgroundColor"));
    EXPECT_FALSE(layer->setValueForKey(LayerValue(), "borderColor"));
    EXPECT_FALSE(layer->setValueForKey(Color(1, 1, 1, 1), "opacity"));
    EXPECT_FALSE(layer->setValueForKey(Point{1, 1}, "shadowOffset"));
    EXPECT_FALSE(layer->setValueForKey(Size{1, 1}, "position"));
    EXPECT_FALSE(layer->setValueForKey(Point{1, 1}, "bounds"));
    EXPECT_EQ(layer->backgroundColor(), Color(1, 0, 0, 1));
    EXPECT_EQ(layer->borderColor(), Color(0, 0, 0, 1));
    EXPECT_EQ(layer->opacity(), 1.0f);
    EXPECT_EQ(layer->shadowOffset(), (Size{0, -3}));
    EXPECT_EQ(layer->position(), (Point{0, 0}));
    EXPECT_EQ(layer->bounds(), Rect());
}

TEST(LayerKeyValue, KeysOfAnotherKindOfLayerAreUnknown) {
    auto plain = Layer::layer();
    EXPECT_EQ(plain->valueForKey("fontSize"), std::nullopt);
    EXPECT_FALSE(plain->setValueForKey(12.0, "fontSize"));
    EXPECT_FALSE(plain->setValueForKey(Point{0, 0}, "startPoint"));
    auto text = quartz::TextLayer::layer();
    EXPECT_FALSE(text->setValueForKey(Point{0, 0}, "startPoint"));
    EXPECT_EQ(quartz::GradientLayer::layer()->valueForKey("fillColor"), std::nullopt);
}
