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

// From the start point's colour to the end point's, in the layer's space (y up unless flipped).
TEST(GradientRendering, RunsFromTheStartPointToTheEndPoint) {
    struct Case {
        quartz::Point start, end;
        bool flipped;
        int darkX, darkY, brightX, brightY;
    };
    for (auto [start, end, flipped, darkX, darkY, brightX, brightY] : {
             Case{{0.5, 0}, {0.5, 1}, false, 10, 19, 10, 0},
             Case{{0.5, 0}, {0.5, 1}, true, 10, 0, 10, 19},
             Case{{0, 0.5}, {1, 0.5}, false, 0, 10, 19, 10},
         }) {
        auto layer = gradient({black, white});
        layer->setStartPoint(start);
        layer->setEndPoint(end);
        layer->setGeometryFlipped(flipped);
        auto bitmap = quartz::renderLayerTree(*layer, {20, 20}, 1, 0);
        EXPECT_LT(brightnessAt(*bitmap, darkX, darkY), 0.05) << darkX << "," << darkY;
        EXPECT_GT(brightnessAt(*bitmap, brightX, brightY), 0.95) << brightX << "," << brightY;
        // Evenly along the axis, the same across it.
        int stepX = (brightX - darkX) / 19;
        int stepY = (brightY - darkY) / 19;
        for (int i = 1; i < 20; ++i)
            EXPECT_GT(brightnessAt(*bitmap, darkX + i * stepX, darkY + i * stepY),
                      brightnessAt(*bitmap, darkX + (i - 1) * stepX, darkY + (i - 1) * stepY))
                << i;
        EXPECT_NEAR(brightnessAt(*bitmap, stepY ? 0 : darkX, stepX ? 0 : darkY),
                    brightnessAt(*bitmap, stepY ? 19 : darkX, stepX ? 19 : darkY), 1.0 / 255);
        EXPECT_NEAR(bitmap->pixel(10, 10).alpha(), 1, 1e-9);
    }
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
