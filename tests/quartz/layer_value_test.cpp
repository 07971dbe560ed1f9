#include "platform/quartz/layer_value.h"

#include <gtest/gtest.h>

using quartz::Color;
using quartz::interpolate;
using quartz::LayerValue;
using quartz::Point;
using quartz::Rect;
using quartz::Size;

TEST(LayerValue, NumbersPointsSizesAndRectsMixComponentWise) {
    EXPECT_EQ(interpolate(2.0, 4.0, 0.25), LayerValue(2.5));
    EXPECT_EQ(interpolate(Point{0, 10}, Point{10, 0}, 0.5), LayerValue(Point{5, 5}));
    EXPECT_EQ(interpolate(Size{10, 20}, Size{20, 40}, 0.5), LayerValue(Size{15, 30}));
    EXPECT_EQ(interpolate(Rect(0, 0, 10, 10), Rect(10, 20, 30, 50), 0.5), LayerValue(Rect(5, 10, 20, 30)));
}

TEST(LayerValue, ColoursMixComponentWiseWithAbsentAsClear) {
    EXPECT_EQ(interpolate(Color(1, 0, 0, 1), Color(0, 0, 1, 0), 0.5), LayerValue(Color(0.5, 0, 0.5, 0.5)));
    EXPECT_EQ(interpolate(LayerValue(), Color(1, 1, 1, 1), 0.5), LayerValue(Color(0.5, 0.5, 0.5, 0.5)));
    EXPECT_EQ(interpolate(Color(1, 1, 1, 1), LayerValue(), 1.0), LayerValue(Color(0, 0, 0, 0)));
    EXPECT_EQ(interpolate(LayerValue(), LayerValue(), 0.5), LayerValue());
}

TEST(LayerValue, ValuesOfDifferentKindsDoNotMix) {
    EXPECT_EQ(interpolate(1.0, Point{1, 1}, 0.5), std::nullopt);
    EXPECT_EQ(interpolate(Size{1, 1}, Point{1, 1}, 0.5), std::nullopt);
    EXPECT_EQ(interpolate(LayerValue(), 1.0, 0.5), std::nullopt);
    EXPECT_EQ(interpolate(Rect(), Color(), 0.5), std::nullopt);
}
