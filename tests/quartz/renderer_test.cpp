#include "platform/foundation/clock.h"
#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/renderer.h"
#include "platform/quartz/shape_layer.h"
#include "tests/quartz/pixel_checks.h"

#include <cairo.h>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>

// Layer trees through renderLayerTree. Bitmaps are read with y from the top, while the rendered
// space has y growing up: a point (x, y) of a 40 point high render at scale 1 is pixel (x, 39 - y).

using namespace quartz;

namespace {

const Color red(1, 0, 0, 1);
const Color blue(0, 0, 1, 1);
const Color black(0, 0, 0, 1);
const Color white(1, 1, 1, 1);
const Color clear = Color::clearColor();

std::shared_ptr<Layer> filled(Rect frame, std::optional<Color> color,
                              std::shared_ptr<Layer> sublayer = nullptr) {
    auto layer = Layer::layer();
    layer->setFrame(frame);
    layer->setBackgroundColor(color);
    if (sublayer)
        layer->addSublayer(sublayer);
    return layer;
}

std::shared_ptr<Bitmap> painted(int side, const std::function<void(cairo_t*)>& paint) {
    auto bitmap = Bitmap::make(side, side);
    cairo_t* cairo = cairo_create(bitmap->cairoSurface());
    paint(cairo);
    cairo_destroy(cairo);
    cairo_surface_flush(bitmap->cairoSurface());
    return bitmap;
}

std::shared_ptr<GradientLayer> gradient(std::vector<Color> colors, Point start = {0.5, 0},
                                        Point end = {0.5, 1}) {
    auto layer = GradientLayer::layer();
    layer->setFrame(Rect(0, 0, 40, 40));
    layer->setColors(std::move(colors));
    layer->setStartPoint(start);
    layer->setEndPoint(end);
    return layer;
}

template <typename T> void animate(Layer& layer, const char* key, T from, T to) {
    auto animation = BasicAnimation::animationWithKeyPath(key);
    animation.setFromValue(from);
    animation.setToValue(to);
    animation.setDuration(1);
    layer.addAnimation(animation, key);
}

struct Probe {
    int x, y;
    Color color;
};

} // namespace

// Each scene is a 40 point square rendered at scale 1, halfway through its animations.
TEST(Renderer, DrawsEachSceneWhereAndAsItsLayersSay) {
    foundation::ScopedManualClock clock;
    struct Scene {
        const char* name;
        std::function<std::shared_ptr<Layer>()> build;
        std::vector<Probe> probes;
    };
    const Scene scenes[] = {
        {"rounded fill",
         [] {
             auto root = filled(Rect(0, 0, 40, 40), red);
             root->setCornerRadius(10);
             return root;
         },
         {{0, 0, clear}, {39, 39, clear}, {20, 20, red}, {0, 20, red}, {20, 0, red}}},
        {"border",
         [] {
             auto root = filled(Rect(0, 0, 40, 40), std::nullopt);
             root->setBorderWidth(2);
             root->setBorderColor(blue);
             return root;
         },
         {{1, 20, blue}, {20, 38, blue}, {2, 20, clear}, {20, 20, clear}}},
        {"rounded border over a sublayer, which it does not clip",
         [] {
             auto root = filled(Rect(0, 0, 40, 40), std::nullopt, filled(Rect(0, 0, 40, 40), red));
             root->setBorderWidth(3);
             root->setBorderColor(blue);
             root->setCornerRadius(12);
             return root;
         },
         {{1, 20, blue}, {20, 20, red}, {0, 0, red}}},
        {"unclipped sublayer",
         [] { return filled(Rect(10, 10, 20, 20), blue, filled(Rect(10, 10, 20, 20), red)); },
         {{35, 4, red}, {25, 14, red}, {15, 24, blue}}},
        {"masks to bounds",
         [] {
             auto root = filled(Rect(10, 10, 20, 20), blue, filled(Rect(10, 10, 20, 20), red));
             root->setMasksToBounds(true);
             return root;
         },
         {{35, 4, clear}, {25, 14, red}, {15, 24, blue}}},
        {"masks to rounded bounds",
         [] {
             auto root = filled(Rect(0, 0, 40, 40), std::nullopt, filled(Rect(0, 0, 40, 40), red));
             root->setMasksToBounds(true);
             root->setCornerRadius(15);
             return root;
         },
         {{1, 1, clear}, {20, 20, red}}},
        {"mask by contents alpha",
         [] {
             auto root = filled(Rect(0, 0, 40, 40), red);
             auto mask = filled(Rect(0, 0, 40, 40), std::nullopt);
             mask->setContents(painted(40, [](cairo_t* cairo) {
                 cairo_arc(cairo, 20, 20, 20, 0, 2 * std::numbers::pi);
                 cairo_fill(cairo);
             }));
             root->setMask(mask);
             return root;
         },
         {{1, 1, clear}, {38, 38, clear}, {20, 20, red}, {20, 1, red}, {1, 20, red}}},
        {"mask framed in the layer's own space",
         [] {
             auto layer = filled(Rect(10, 10, 30, 30), red);
             layer->setMask(filled(Rect(0, 0, 15, 30), black));
             return filled(Rect(0, 0, 40, 40), std::nullopt, layer);
         },
         {{12, 20, red}, {24, 20, red}, {26, 20, clear}, {38, 20, clear}}},
        {"opacity fades the layer as one",
         [] {
             auto root = filled(Rect(0, 0, 40, 40), red, filled(Rect(0, 0, 20, 40), blue));
             root->setOpacity(0.5f);
             return root;
         },
         {{30, 20, red.withAlpha(0.5)}, {10, 20, blue.withAlpha(0.5)}}},
        {"placed by position and anchor point, y up",
         [] {
             auto sublayer = filled(Rect(0, 0, 10, 10), red);
             sublayer->setAnchorPoint({0, 0});
             sublayer->setPosition({5, 5});
             return filled(Rect(0, 0, 40, 40), std::nullopt, sublayer);
         },
         {{6, 33, red}, {14, 25, red}, {6, 6, clear}, {16, 33, clear}}},
        {"flipped, then flipped again below",
         [] {
             auto half = filled(Rect(0, 0, 40, 20), std::nullopt, filled(Rect(0, 0, 10, 10), red));
             auto flippedHalf = filled(Rect(0, 20, 40, 20), std::nullopt, filled(Rect(0, 0, 10, 10), blue));
             flippedHalf->setGeometryFlipped(true);
             auto root = filled(Rect(0, 0, 40, 40), std::nullopt, half);
             root->addSublayer(flippedHalf);
             root->setGeometryFlipped(true);
             return root;
         },
         {{5, 5, red}, {5, 15, clear}, {5, 35, blue}, {5, 25, clear}}},
        {"bounds origin",
         [] {
             auto root = filled(Rect(0, 0, 40, 40), std::nullopt, filled(Rect(20, 20, 10, 10), red));
             root->setBounds(Rect(20, 20, 40, 40));
             return root;
         },
         {{5, 35, red}, {25, 15, clear}}},
        {"shape layer without a path",
         [] {
             auto shape = ShapeLayer::layer();
             shape->setFrame(Rect(0, 0, 20, 40));
             shape->setFillColor(blue);
             shape->setBackgroundColor(red);
             return filled(Rect(0, 0, 40, 40), std::nullopt, shape);
         },
         {{10, 20, red}, {30, 20, clear}}},
        {"presentation of position and opacity",
         [] {
             auto moving = filled(Rect(0, 0, 10, 10), red);
             animate(*moving, "position", Point{5, 5}, Point{25, 5});
             animate(*moving, "opacity", 1.0, 0.0);
             return filled(Rect(0, 0, 40, 40), std::nullopt, moving);
         },
         {{15, 34, red.withAlpha(0.5)}, {5, 34, clear}}},
        {"gradient from start to end point",
         [] {
             return gradient({black, white});
         },
         {{20, 39, black}, {20, 0, white}}},
        {"flipped gradient",
         [] {
             auto layer = gradient({black, white});
             layer->setGeometryFlipped(true);
             return layer;
         },
         {{20, 0, black}, {20, 39, white}}},
        {"sideways gradient",
         [] {
             return gradient({black, white}, {0, 0.5}, {1, 0.5});
         },
         {{0, 0, black}, {39, 39, white}}},
        {"three stops",
         [] {
             return gradient({black, white, black});
         },
         {{20, 0, black}, {20, 20, white}, {20, 39, black}}},
        {"stops at locations",
         [] {
             auto layer = gradient({red, blue});
             layer->setLocations(std::vector<double>{0, 0.25});
             return layer;
         },
         {{20, 20, blue}, {20, 4, blue}}},
        {"gradient without colours", [] { return gradient({}); }, {{20, 20, clear}}},
        {"gradient of one colour", [] { return gradient({blue}); }, {{0, 0, blue}, {39, 39, blue}}},
    };
    for (const auto& scene : scenes) {
        auto bitmap = renderLayerTree(*scene.build(), {40, 40}, 1, clock->now() + 0.5);
        for (auto [x, y, color] : scene.probes)
            EXPECT_TRUE(pixels::near(bitmap->pixel(x, y), color, 0.06))
                << scene.name << " at " << x << "," << y;
    }
}

TEST(Renderer, ScalesTheBitmapAndKeepsContentsUprightInAFlippedContext) {
    // Top half red, bottom half blue.
    auto contents = painted(2, [](cairo_t* cairo) {
        cairo_set_source_rgb(cairo, 1, 0, 0);
        cairo_rectangle(cairo, 0, 0, 2, 1);
        cairo_fill(cairo);
        cairo_set_source_rgb(cairo, 0, 0, 1);
        cairo_rectangle(cairo, 0, 1, 2, 1);
        cairo_fill(cairo);
    });
    for (bool flipped : {false, true}) {
        auto root = filled(Rect(0, 0, 30, 20), std::nullopt);
        root->setGeometryFlipped(flipped);
        root->setContents(contents);
        auto bitmap = renderLayerTree(*root, {30, 20}, 2, 0);
        ASSERT_EQ(bitmap->width(), 60);
        ASSERT_EQ(bitmap->height(), 40);
        EXPECT_TRUE(pixels::near(bitmap->pixel(0, 0), red)) << flipped;
        EXPECT_TRUE(pixels::near(bitmap->pixel(59, 39), blue)) << flipped;
    }
    EXPECT_EQ(renderLayerTree(*filled(Rect(0, 0, 30, 20), red), {0, 20}, 1, 0), nullptr);

    // A flipped context at scale 2, as a view that is flipped would hand over, draws in its own space.
    auto bitmap = painted(80, [](cairo_t* cairo) {
        cairo_scale(cairo, 2, 2);
        GraphicsContext context(cairo, 2, true);
        drawLayerTree(context, *filled(Rect(0, 0, 10, 10), red), 0);
    });
    EXPECT_TRUE(pixels::near(bitmap->pixel(19, 19), red));
    EXPECT_EQ(bitmap->pixel(21, 21), clear);
}

// A red 20 x 20 square in the middle of a 60 x 60 root, with a black shadow.
class ShadowRendering : public ::testing::Test {
protected:
    void SetUp() override {
        square->setShadowOpacity(1);
        square->setShadowRadius(4);
        square->setShadowOffset({0, 0});
    }
    std::shared_ptr<Bitmap> render() const { return renderLayerTree(*root, {60, 60}, 1, 0); }
    double alpha(int x, int y) const { return pixels::alphaAt(*render(), x, y); }

    std::shared_ptr<Layer> square = filled(Rect(20, 20, 20, 20), red);
    std::shared_ptr<Layer> root = filled(Rect(0, 0, 60, 60), std::nullopt, square);
};

// The layer stays on top and fades as one with its shadow; masking to bounds does not cut the shadow.
TEST_F(ShadowRendering, FallsOutsideTheLayerUnderItsOpacityUnclippedByItsBounds) {
    square->setOpacity(0.5f);
    square->setMasksToBounds(true);
    square->addSublayer(filled(Rect(-10, 0, 40, 20), blue));
    auto bitmap = render();
    EXPECT_TRUE(pixels::near(bitmap->pixel(30, 30), blue.withAlpha(0.5)));
    for (auto [x, y] : {std::pair{41, 30}, {18, 30}, {30, 41}, {30, 18}}) {
        EXPECT_GT(pixels::alphaAt(*bitmap, x, y), 0.1) << x << "," << y;
        EXPECT_LT(pixels::alphaAt(*bitmap, x, y), 0.4) << x << "," << y;
        EXPECT_TRUE(pixels::near(bitmap->pixel(x, y).withAlpha(1), black)) << x << "," << y;
    }
    EXPECT_EQ(pixels::alphaAt(*bitmap, 55, 30), 0);
}

TEST_F(ShadowRendering, IsOffsetInTheSuperlayerSpaceAndTintedByColourTimesOpacity) {
    square->setShadowOffset({0, -3});
    // y grows up here: -3 moves the shadow down on screen.
    EXPECT_GT(alpha(30, 42), alpha(30, 17) + 0.2);
    root->setGeometryFlipped(true);
    EXPECT_GT(alpha(30, 17), alpha(30, 42) + 0.2);

    square->setShadowColor(blue);
    square->setShadowOpacity(0.5f);
    square->setShadowRadius(0.1);
    square->setShadowOffset({10, 0});
    auto bitmap = render();
    EXPECT_TRUE(pixels::near(bitmap->pixel(45, 30), blue.withAlpha(0.5)));
    EXPECT_EQ(pixels::alphaAt(*bitmap, 51, 30), 0);
}

TEST_F(ShadowRendering, FollowsTheAlphaOfSublayers) {
    square->setBackgroundColor(std::nullopt);
    square->setShadowRadius(0.1);
    square->setShadowOffset({0, -10});
    square->addSublayer(filled(Rect(0, 0, 10, 20), red)); // the left half
    EXPECT_GT(alpha(24, 45), 0.9);
    EXPECT_EQ(alpha(35, 45), 0);
}

// Past a long straight edge a Gaussian blur of deviation s leaves Φ(-d / s) of the alpha at
// distance d. Every grid the blur may run on is covered: radii 2 and 8 at scales 1 and 2.
TEST_F(ShadowRendering, FallsOffAsAGaussianWithTheRadiusAsItsDeviation) {
    root->setFrame(Rect(0, 0, 100, 60));
    square->setFrame(Rect(-50, -50, 100, 160)); // its right edge at x = 50
    for (double radius : {2.0, 8.0}) {
        square->setShadowRadius(radius);
        for (double scale : {1.0, 2.0}) {
            auto bitmap = renderLayerTree(*root, {100, 60}, scale, 0);
            for (double deviations : {0.25, 1.0, 2.0}) {
                int column = static_cast<int>(std::lround(50 * scale + deviations * radius * scale - 0.5));
                double expected =
                    0.5 * std::erfc((column + 0.5 - 50 * scale) / (radius * scale) / std::sqrt(2.0));
                EXPECT_NEAR(pixels::alphaAt(*bitmap, column, bitmap->height() / 2), expected, 0.04)
                    << "radius " << radius << " scale " << scale << " at " << deviations << " deviations";
            }
        }
    }
}
