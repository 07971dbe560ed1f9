#include "platform/quartz/gradient_layer.h"

#include <gtest/gtest.h>

using quartz::GradientLayer;
using quartz::LayerValue;
using quartz::Point;

TEST(GradientLayer, RunsTopToBottomWithEvenStopsByDefault) {
    auto layer = GradientLayer::layer();
    EXPECT_TRUE(layer->colors().empty());
    EXPECT_EQ(layer->locations(), std::nullopt);
    EXPECT_EQ(layer->startPoint(), (Point{0.5, 0}));
    EXPECT_EQ(layer->endPoint(), (Point{0.5, 1}));
}

TEST(GradientLayer, StartAndEndPointByKey) {
    auto layer = GradientLayer::layer();
    EXPECT_TRUE(layer->setValueForKey(Point{0, 0.5}, "startPoint"));
    EXPECT_TRUE(layer->setValueForKey(Point{1, 0.5}, "endPoint"));
    EXPECT_EQ(layer->valueForKey("startPoint"), LayerValue(Point{0, 0.5}));
    EXPECT_EQ(layer->endPoint(), (Point{1, 0.5}));
    EXPECT_FALSE(layer->setValueForKey(0.5, "endPoint"));
    EXPECT_EQ(layer->endPoint(), (Point{1, 0.5}));
}
