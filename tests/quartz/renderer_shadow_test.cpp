#include "platform/quartz/renderer.h"
#include "tests/quartz/pixel_checks.h"

#include <cmath>
#include <gtest/gtest.h>

// Layer shadows rendered at scale 1 into a 60 x 60 point bitmap (row 0 is the top on screen).

using quartz::Color;
using quartz::Layer;
using quartz::Rect;

namespace {

// A red 20 x 20 square in the middle of a 60 x 60 root, with a black shadow.
struct ShadowScene {
    ShadowScene() {
        root->setFrame(Rect(0, 0, 60, 60));
        square->setFrame(Rect(20, 20, 20, 20));
        square->setBackgroundColor(Color(1, 0, 0, 1));
        square->setShadowOpacity(1);
        square->setShadowRadius(4);
        square->setShadowOffset({0, 0});
        root->addSublayer(square);
    }
    std::shared_ptr<quartz::Bitmap> render(double scale = 1) const {
        return quartz::renderLayerTree(*root, {60, 60}, scale, 0);
    }

    std::shared_ptr<Layer> root = Layer::layer();
    std::shared_ptr<Layer> square = Layer::layer();
};

} // namespace

TEST(ShadowRendering, DarkensPixelsJustOutsideTheShape) {
    ShadowScene scene;
    auto bitmap = scene.render();
    // Square covers pixels 20…39 both ways.
    for (auto [x, y] : {std::pair{41, 30}, {18, 30}, {30, 41}, {30, 18}}) {
        EXPECT_GT(pixels::alphaAt(*bitmap, x, y), 0.2) << x << "," << y;
        EXPECT_LT(bitmap->pixel(x, y).red(), 0.01) << x << "," << y;
    }
    // Fading with the distance, gone well past the blur.
    EXPECT_GT(pixels::alphaAt(*bitmap, 41, 30), pixels::alphaAt(*bitmap, 45, 30));
    EXPECT_EQ(pixels::alphaAt(*bitmap, 55, 30), 0);
    // The layer itself is on top of its shadow.
    EXPECT_TRUE(pixels::near(bitmap->pixel(30, 30), Color(1, 0, 0, 1)));
}

TEST(ShadowRendering, IsNotCutOffAtTheBoundsEvenWhenTheLayerMasksToThem) {
    ShadowScene scene;
    scene.square->setMasksToBounds(true);
    scene.square->addSublayer([] {
        auto inner = Layer::layer();
        inner->setFrame(Rect(-10, 0, 40, 20));
        inner->setBackgroundColor(Color(0, 0, 1, 1));
        return inner;
    }());
    auto bitmap = scene.render();
    EXPECT_GT(pixels::alphaAt(*bitmap, 42, 30), 0.1);
    EXPECT_GT(pixels::alphaAt(*bitmap, 17, 30), 0.1);
    // The sublayer is clipped; what is outside is shadow, not blue.
    EXPECT_LT(bitmap->pixel(17, 30).blue(), 0.01);
}

TEST(ShadowRendering, OffsetIsInTheSuperlayerSpace) {
    ShadowScene scene;
    scene.square->setShadowOffset({0, -3});
    auto bitmap = scene.render();
    // y grows up here: -3 moves the shadow down on screen.
    EXPECT_GT(pixels::alphaAt(*bitmap, 30, 42), pixels::alphaAt(*bitmap, 30, 17) + 0.2);

    scene.root->setGeometryFlipped(true);
    auto flipped = scene.render();
    EXPECT_GT(pixels::alphaAt(*flipped, 30, 17), pixels::alphaAt(*flipped, 30, 42) + 0.2);
}

TEST(ShadowRendering, IsTintedByColourTimesOpacity) {
    ShadowScene scene;
    scene.square->setShadowColor(Color(0, 0, 1, 1));
    scene.square->setShadowOpacity(0.5f);
    scene.square->setShadowRadius(0.1);
    scene.square->setShadowOffset({10, 0});
    auto bitmap = scene.render();
    // Sharp and shifted right by 10: pixels 40…49 are half-opaque blue.
    EXPECT_TRUE(pixels::near(bitmap->pixel(45, 30), Color(0, 0, 1, 0.5)));
    EXPECT_EQ(pixels::alphaAt(*bitmap, 51, 30), 0);
}

TEST(ShadowRendering, FollowsTheAlphaOfContentAndSublayers) {
    ShadowScene scene;
    scene.square->setBackgroundColor(std::nullopt);
    scene.square->setShadowRadius(0.1);
    scene.square->setShadowOffset({0, -10});
    // Only the left half of the square has something to cast a shadow.
    auto half = Layer::layer();
    half->setFrame(Rect(0, 0, 10, 20));
    half->setBackgroundColor(Color(1, 0, 0, 1));
    scene.square->addSublayer(half);
    auto bitmap = scene.render();
    EXPECT_GT(pixels::alphaAt(*bitmap, 24, 45), 0.9);
    EXPECT_EQ(pixels::alphaAt(*bitmap, 35, 45), 0);
}

TEST(ShadowRendering, FadesWithTheLayersOpacityUnderneathIt) {
    ShadowScene scene;
    scene.square->setOpacity(0.5f);
    auto bitmap = scene.render();
    // Inside the square the shadow does not show through: the layer fades as one.
    EXPECT_TRUE(pixels::near(bitmap->pixel(30, 30), Color(1, 0, 0, 0.5)));
    EXPECT_GT(pixels::alphaAt(*bitmap, 41, 30), 0.1);
    EXPECT_LT(pixels::alphaAt(*bitmap, 41, 30), 0.4);
}

TEST(ShadowRendering, FallsOffAsAGaussianWithTheRadiusAsItsDeviation) {
    // Past a long straight edge a Gaussian blur of deviation s leaves Φ(-d / s) of the alpha at
    // distance d: a half at the edge, 16 % one deviation out, 2 % two out. Every grid the blur
    // may run on is covered: radii 2, 4 and 8 at scales 1 and 2.
    auto normalTail = [](double d) { return 0.5 * std::erfc(d / std::sqrt(2.0)); };
    for (double radius : {2.0, 4.0, 8.0}) {
        for (double scale : {1.0, 2.0}) {
            auto root = Layer::layer();
            root->setFrame(Rect(0, 0, 100, 60));
            auto wall = Layer::layer();
            wall->setFrame(Rect(-50, -50, 100, 160)); // its right edge at x = 50
            wall->setBackgroundColor(Color(1, 0, 0, 1));
            wall->setShadowOpacity(1);
            wall->setShadowRadius(radius);
            wall->setShadowOffset({0, 0});
            root->addSublayer(wall);
            auto bitmap = quartz::renderLayerTree(*root, {100, 60}, scale, 0);
            int row = bitmap->height() / 2;
            for (double deviations : {0.25, 1.0, 2.0}) {
                double distance = deviations * radius * scale; // device pixels from the edge
                int column = static_cast<int>(std::lround(50 * scale + distance - 0.5));
                double expected = normalTail((column + 0.5 - 50 * scale) / (radius * scale));
                EXPECT_NEAR(pixels::alphaAt(*bitmap, column, row), expected, 0.04)
                    << "radius " << radius << " scale " << scale << " at " << deviations << " deviations";
            }
        }
    }
}
