#include "platform/foundation/clock.h"
#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/renderer.h"
#include "platform/quartz/shape_layer.h"
#include "tests/quartz/pixel_checks.h"

#include <cairo.h>
#include <functional>
#include <type_traits>

// Layer trees through renderLayerTree. Bitmaps are read with y from the top, while the rendered
// space has y growing up: a point (x, y) of a 40 point high render at scale 1 is pixel (x, 39 - y).

using namespace quartz;

namespace {

const Color red(1, 0, 0, 1), blue(0, 0, 1, 1), black(0, 0, 0, 1), white(1, 1, 1, 1);
const Color clear = Color::clearColor();
const Rect whole(0, 0, 40, 40);

template <typename L = Layer>
std::shared_ptr<L> layer(Rect frame, std::optional<Color> color,
                         std::type_identity_t<std::function<void(L&)>> set = {},
                         std::shared_ptr<Layer> sublayer = nullptr) {
    auto made = L::layer();
    made->setFrame(frame);
    made->setBackgroundColor(color);
    if (sublayer)
        made->addSublayer(sublayer);
    if (set)
        set(*made);
    return made;
}

std::shared_ptr<Bitmap> painted(int side, const std::function<void(cairo_t*)>& paint) {
    auto bitmap = Bitmap::make(side, side);
    cairo_t* cairo = cairo_create(bitmap->cairoSurface());
    paint(cairo);
    cairo_destroy(cairo);
    cairo_surface_flush(bitmap->cairoSurface());
    return bitmap;
}

template <typename T> void animate(Layer& layer, const char* key, T from, T to) {
    auto animation = BasicAnimation::animationWithKeyPath(key);
    animation.setFromValue(from);
    animation.setToValue(to);
    animation.setDuration(1);
    layer.addAnimation(animation, key);
}

} // namespace

// Each scene is a 40 point square rendered at scale 1, halfway through its animations.
TEST(Renderer, DrawsEachSceneWhereAndAsItsLayersSay) {
    foundation::ScopedManualClock clock;
    struct Probe {
        int x, y;
        Color color;
    };
    auto flippedHalf = layer(
        Rect(0, 20, 40, 20), std::nullopt, [](Layer& l) { l.setGeometryFlipped(true); },
        layer(Rect(0, 0, 10, 10), blue));
    const std::tuple<const char*, std::shared_ptr<Layer>, std::vector<Probe>> scenes[] = {
        {"rounded fill",
         layer(whole, red, [](Layer& l) { l.setCornerRadius(10); }),
         {{0, 0, clear}, {39, 39, clear}, {20, 20, red}, {0, 20, red}}},
        {"rounded border over a sublayer, which it does not clip",
         layer(
             whole, std::nullopt,
             [](Layer& l) {
                 l.setBorderWidth(3);
                 l.setBorderColor(blue);
                 l.setCornerRadius(12);
             },
             layer(whole, red)),
         {{2, 20, blue}, {3, 20, red}, {0, 0, red}}},
        {"masks to bounds",
         layer(
             Rect(10, 10, 20, 20), blue, [](Layer& l) { l.setMasksToBounds(true); },
             layer(Rect(10, 10, 20, 20), red)),
         {{35, 4, clear}, {25, 14, red}, {15, 24, blue}}},
        {"mask framed in the layer's own space",
         layer(
             whole, std::nullopt, {},
             layer(Rect(10, 10, 30, 30), red, [](Layer& l) { l.setMask(layer(Rect(0, 0, 15, 30), black)); })),
         {{12, 20, red}, {24, 20, red}, {26, 20, clear}}},
        {"opacity fades the layer as one",
         layer(
             whole, red, [](Layer& l) { l.setOpacity(0.5f); }, layer(Rect(0, 0, 20, 40), blue)),
         {{30, 20, red.withAlpha(0.5)}, {10, 20, blue.withAlpha(0.5)}}},
        {"placed by position and anchor point, y up",
         layer(whole, std::nullopt, {},
               layer(Rect(0, 0, 10, 10), red,
                     [](Layer& l) {
                         l.setAnchorPoint({0, 0});
                         l.setPosition({5, 5});
                     })),
         {{6, 33, red}, {14, 25, red}, {6, 6, clear}, {16, 33, clear}}},
        {"flipped, then flipped again below",
         layer(
             whole, std::nullopt,
             [&](Layer& l) {
                 l.setGeometryFlipped(true);
                 l.addSublayer(flippedHalf);
             },
             layer(Rect(0, 0, 40, 20), std::nullopt, {}, layer(Rect(0, 0, 10, 10), red))),
         {{5, 5, red}, {5, 15, clear}, {5, 35, blue}, {5, 25, clear}}},
        {"bounds origin",
         layer(
             whole, std::nullopt, [](Layer& l) { l.setBounds(Rect(20, 20, 40, 40)); },
             layer(Rect(20, 20, 10, 10), red)),
         {{5, 35, red}, {25, 15, clear}}},
        {"shape layer without a path",
         layer(whole, std::nullopt, {},
               layer<ShapeLayer>(Rect(0, 0, 20, 40), red, [](ShapeLayer& l) { l.setFillColor(blue); })),
         {{10, 20, red}, {30, 20, clear}}},
        {"presentation of position and opacity",
         layer(whole, std::nullopt, {},
               layer(Rect(0, 0, 10, 10), red,
                     [](Layer& l) {
                         animate(l, "position", Point{5, 5}, Point{25, 5});
                         animate(l, "opacity", 1.0, 0.0);
                     })),
         {{15, 34, red.withAlpha(0.5)}, {5, 34, clear}}},
        {"gradient from the start point's colour at its locations",
         layer<GradientLayer>(whole, std::nullopt,
                              [](GradientLayer& l) {
                                  l.setColors({red, blue});
                                  l.setLocations(std::vector<double>{0, 0.25});
                              }),
         {{20, 39, red}, {20, 20, blue}, {20, 4, blue}}},
    };
    for (const auto& [name, root, probes] : scenes) {
        auto bitmap = renderLayerTree(*root, {40, 40}, 1, clock->now() + 0.5);
        for (auto [x, y, color] : probes)
            EXPECT_TRUE(pixels::near(bitmap->pixel(x, y), color, 0.06)) << name << " at " << x << "," << y;
    }
}

TEST(Renderer, ScalesTheBitmapAndKeepsContentsUprightInAFlippedContext) {
    // Top half red, bottom half blue.
    auto contents = painted(2, [](cairo_t* cairo) {
        cairo_set_source_rgb(cairo, 1, 0, 0);
        cairo_rectangle(cairo, 0, 0, 2, 1);
        cairo_fill(cairo);
    });
    for (bool flipped : {false, true}) {
        auto root = layer(Rect(0, 0, 30, 20), blue, [&](Layer& l) {
            l.setGeometryFlipped(flipped);
            l.setContents(contents);
        });
        auto bitmap = renderLayerTree(*root, {30, 20}, 2, 0);
        EXPECT_TRUE(pixels::near(bitmap->pixel(0, 0), red)) << flipped;
        EXPECT_TRUE(pixels::near(bitmap->pixel(59, 39), blue)) << flipped;
    }
    // A flipped context at scale 2, as a view that is flipped would hand over, draws in its own space.
    auto bitmap = painted(80, [](cairo_t* cairo) {
        cairo_scale(cairo, 2, 2);
        GraphicsContext context(cairo, 2, true);
        drawLayerTree(context, *layer(Rect(0, 0, 10, 10), red), 0);
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
    double alpha(int x, int y) const {
        return pixels::alphaAt(*renderLayerTree(*root, {60, 60}, 1, 0), x, y);
    }

    std::shared_ptr<Layer> square = layer(Rect(20, 20, 20, 20), red);
    std::shared_ptr<Layer> root = layer(Rect(0, 0, 60, 60), std::nullopt, {}, square);
};

// The layer fades as one with its shadow under it; masking to bounds does not cut the shadow.
TEST_F(ShadowRendering, FallsOutsideTheLayerUnderItsOpacityUnclippedByItsBounds) {
    square->setOpacity(0.5f);
    square->setMasksToBounds(true);
    square->addSublayer(layer(Rect(-10, 0, 40, 20), blue));
    auto bitmap = renderLayerTree(*root, {60, 60}, 1, 0);
    EXPECT_TRUE(pixels::near(bitmap->pixel(30, 30), blue.withAlpha(0.5)));
    for (auto [x, y] : {std::pair{41, 30}, {18, 30}, {30, 41}, {30, 18}}) {
        EXPECT_GT(pixels::alphaAt(*bitmap, x, y), 0.1) << x << "," << y;
        EXPECT_LT(pixels::alphaAt(*bitmap, x, y), 0.4) << x << "," << y;
        EXPECT_TRUE(pixels::near(bitmap->pixel(x, y).withAlpha(1), black)) << x << "," << y;
    }
    EXPECT_EQ(pixels::alphaAt(*bitmap, 55, 30), 0);
}

// Offset in the superlayer's space, tinted by colour times opacity, shaped by the sublayers' alpha.
TEST_F(ShadowRendering, IsOffsetTintedAndShapedByWhatTheLayerDraws) {
    square->setShadowOffset({0, -3});
    EXPECT_GT(alpha(30, 42), alpha(30, 17) + 0.2); // y grows up here: -3 is down on screen
    root->setGeometryFlipped(true);
    EXPECT_GT(alpha(30, 17), alpha(30, 42) + 0.2);

    square->setBackgroundColor(std::nullopt);
    square->addSublayer(layer(Rect(0, 0, 10, 20), red)); // the left half
    square->setShadowColor(blue);
    square->setShadowOpacity(0.5f);
    square->setShadowRadius(0.1);
    square->setShadowOffset({0, 10});
    auto bitmap = renderLayerTree(*root, {60, 60}, 1, 0);
    EXPECT_TRUE(pixels::near(bitmap->pixel(24, 45), blue.withAlpha(0.5)));
    EXPECT_EQ(pixels::alphaAt(*bitmap, 35, 45), 0);
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
