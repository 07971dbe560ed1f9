#include "platform/quartz/shape_layer.h"

#include <gtest/gtest.h>

using quartz::Color;
using quartz::LayerValue;
using quartz::ShapeLayer;

TEST(ShapeLayer, FillsOpaqueBlackByDefault) {
    auto layer = ShapeLayer::layer();
    EXPECT_EQ(layer->fillColor(), Color(0, 0, 0, 1));
    EXPECT_EQ(layer->backgroundColor(), std::nullopt);
    EXPECT_EQ(layer->opacity(), 1.0f);
}

TEST(ShapeLayer, FillColorByKeyTakesAColourOrNone) {
    auto layer = ShapeLayer::layer();
    EXPECT_TRUE(layer->setValueForKey(Color(1, 0, 0, 1), "fillColor"));
    EXPECT_EQ(layer->valueForKey("fillColor"), LayerValue(Color(1, 0, 0, 1)));
    EXPECT_TRUE(layer->setValueForKey(LayerValue(), "fillColor"));
    EXPECT_EQ(layer->fillColor(), std::nullopt);
    EXPECT_FALSE(layer->setValueForKey(1.0, "fillColor"));
    EXPECT_TRUE(layer->setValueForKey(2.0, "borderWidth"));
    EXPECT_EQ(layer->borderWidth(), 2);
}
