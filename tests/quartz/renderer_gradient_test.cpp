#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/renderer.h"
#include "tests/quartz/pixel_checks.h"

#include <gtest/gtest.h>

// Gradient layers rendered at scale 1 into a 20 x 20 point bitmap (row 0 is the top on screen).

using quartz::Color;
using quartz::GradientLayer;
using quartz::Rect;

namespace {

const Color black = Color::blackColor();
const Color white = Color::whiteColor();

std::shared_ptr<GradientLayer> gradient(std::vector<Color> colors) {
    auto layer = GradientLayer::layer();
    layer->setFrame(Rect(0, 0, 20, 20));
    layer->setColors(std::move(colors));
    return layer;
}

double brightnessAt(const quartz::Bitmap& bitmap, int x, int y) {
    return bitmap.pixel(x, y).red();
}

} // namespace

TEST(GradientRendering, VerticalRunsFromTheBottomEdgeUp) {
    auto layer = gradient({black, white});
    auto bitmap = quartz::renderLayerTree(*layer, {20, 20}, 1, 0);
    for (int x : {0, 10, 19}) {
        EXPECT_LT(brightnessAt(*bitmap, x, 19), 0.05) << x;
        EXPECT_GT(brightnessAt(*bitmap, x, 0), 0.95) << x;
    }
    for (int y = 1; y < 20; ++y)
        EXPECT_LT(brightnessAt(*bitmap, 10, y), brightnessAt(*bitmap, 10, y - 1)) << y;
    EXPECT_NEAR(bitmap->pixel(10, 10).alpha(), 1, 1e-9);
}

TEST(GradientRendering, GeometryFlippedRunsItFromTheTopDown) {
    auto layer = gradient({black, white});
    layer->setGeometryFlipped(true);
    auto bitmap = quartz::renderLayerTree(*layer, {20, 20}, 1, 0);
    EXPECT_LT(brightnessAt(*bitmap, 10, 0), 0.05);
    EXPECT_GT(brightnessAt(*bitmap, 10, 19), 0.95);
}

TEST(GradientRendering, HorizontalRunsLeftToRight) {
    auto layer = gradient({black, white});
    layer->setStartPoint({0, 0.5});
    layer->setEndPoint({1, 0.5});
    auto bitmap = quartz::renderLayerTree(*layer, {20, 20}, 1, 0);
    EXPECT_LT(brightnessAt(*bitmap, 0, 10), 0.05);
    EXPECT_GT(brightnessAt(*bitmap, 19, 10), 0.95);
    for (int x = 1; x < 20; ++x)
        EXPECT_GT(brightnessAt(*bitmap, x, 10), brightnessAt(*bitmap, x - 1, 10)) << x;
    // The same all the way up a column.
    EXPECT_NEAR(brightnessAt(*bitmap, 7, 0), brightnessAt(*bitmap, 7, 19), 1.0 / 255);
}

TEST(GradientRendering, ThreeStopsAreBrightestInTheMiddle) {
    auto layer = gradient({black, white, black});
    auto bitmap = quartz::renderLayerTree(*layer, {20, 20}, 1, 0);
    double middle = std::max(brightnessAt(*bitmap, 10, 9), brightnessAt(*bitmap, 10, 10));
    EXPECT_GT(middle, 0.9);
    EXPECT_LT(brightnessAt(*bitmap, 10, 0), 0.1);
    EXPECT_LT(brightnessAt(*bitmap, 10, 19), 0.1);
    for (int y = 1; y < 9; ++y)
        EXPECT_GT(brightnessAt(*bitmap, 10, y), brightnessAt(*bitmap, 10, y - 1)) << y;
}

TEST(GradientRendering, LocationsPlaceTheStops) {
    auto layer = gradient({Color(1, 0, 0, 1), Color(0, 0, 1, 1)});
    layer->setLocations(std::vector<double>{0, 0.25});
    auto bitmap = quartz::renderLayerTree(*layer, {20, 20}, 1, 0);
    // Blue from a quarter of the way up.
    EXPECT_TRUE(pixels::near(bitmap->pixel(10, 10), Color(0, 0, 1, 1)));
    EXPECT_TRUE(pixels::near(bitmap->pixel(10, 2), Color(0, 0, 1, 1)));
    EXPECT_GT(bitmap->pixel(10, 19).red(), 0.8);
}

TEST(GradientRendering, NoColoursDrawNothingAndOneColourFills) {
    auto none = gradient({});
    EXPECT_EQ(pixels::inkBox(*quartz::renderLayerTree(*none, {20, 20}, 1, 0)).count, 0);
    auto one = gradient({Color(0, 1, 0, 1)});
    auto bitmap = quartz::renderLayerTree(*one, {20, 20}, 1, 0);
    EXPECT_TRUE(pixels::near(bitmap->pixel(0, 0), Color(0, 1, 0, 1)));
    EXPECT_TRUE(pixels::near(bitmap->pixel(19, 19), Color(0, 1, 0, 1)));
}
