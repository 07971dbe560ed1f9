#include "platform/foundation/clock.h"
#include "platform/quartz/renderer.h"
#include "platform/quartz/shape_layer.h"
#include "tests/quartz/pixel_checks.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <numbers>

// Fills, borders, clipping, masks, opacity, placement and animation through renderLayerTree.
// Bitmaps are read with y from the top, while the rendered space has y growing up from the
// bottom edge: a point (x, y) of a 40 point high render at scale 1 is pixel (x, 39 - y).

using quartz::BasicAnimation;
using quartz::Bitmap;
using quartz::Color;
using quartz::Layer;
using quartz::Rect;

namespace {

const Color red(1, 0, 0, 1);
const Color blue(0, 0, 1, 1);
const Color clear = Color::clearColor();

std::shared_ptr<Layer> filledLayer(Rect frame, Color color) {
    auto layer = Layer::layer();
    layer->setFrame(frame);
    layer->setBackgroundColor(color);
    return layer;
}

std::shared_ptr<Bitmap> render(const Layer& root, double side = 40, double scale = 1, double time = 0) {
    return quartz::renderLayerTree(root, {side, side}, scale, time);
}

// A bitmap of a filled circle touching its edges.
std::shared_ptr<const Bitmap> circleBitmap(int side) {
    auto bitmap = Bitmap::make(side, side);
    cairo_t* cairo = cairo_create(bitmap->cairoSurface());
    cairo_arc(cairo, side / 2.0, side / 2.0, side / 2.0, 0, 2 * std::numbers::pi);
    cairo_set_source_rgba(cairo, 0, 0, 0, 1);
    cairo_fill(cairo);
    cairo_destroy(cairo);
    cairo_surface_flush(bitmap->cairoSurface());
    return bitmap;
}

} // namespace

TEST(Renderer, BitmapIsTheSizeTimesTheScale) {
    auto root = filledLayer(Rect(0, 0, 30, 20), red);
    auto single = quartz::renderLayerTree(*root, {30, 20}, 1, 0);
    auto doubled = quartz::renderLayerTree(*root, {30, 20}, 2, 0);
    ASSERT_NE(single, nullptr);
    ASSERT_NE(doubled, nullptr);
    EXPECT_EQ(single->width(), 30);
    EXPECT_EQ(single->height(), 20);
    EXPECT_EQ(doubled->width(), 60);
    EXPECT_EQ(doubled->height(), 40);
    EXPECT_TRUE(pixels::near(doubled->pixel(59, 39), red));
    EXPECT_EQ(quartz::renderLayerTree(*root, {0, 20}, 1, 0), nullptr);
}

TEST(Renderer, RoundedFillLeavesTheCornerClearAndFillsTheCentre) {
    auto root = filledLayer(Rect(0, 0, 40, 40), red);
    root->setCornerRadius(10);
    auto bitmap = render(*root);
    EXPECT_EQ(bitmap->pixel(0, 0), clear);
    EXPECT_EQ(bitmap->pixel(39, 39), clear);
    EXPECT_TRUE(pixels::near(bitmap->pixel(20, 20), red));
    // Only the corners are cut.
    EXPECT_TRUE(pixels::near(bitmap->pixel(0, 20), red));
    EXPECT_TRUE(pixels::near(bitmap->pixel(20, 0), red));
}

TEST(Renderer, BorderIsOnTopOfSublayersAndFollowsTheCornerRadius) {
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 40, 40));
    root->setBorderWidth(2);
    root->setBorderColor(blue);
    auto square = render(*root);
    EXPECT_TRUE(pixels::near(square->pixel(1, 20), blue));
    EXPECT_TRUE(pixels::near(square->pixel(20, 38), blue));
    EXPECT_EQ(square->pixel(2, 20), clear);
    EXPECT_EQ(square->pixel(20, 20), clear);

    root->setBorderWidth(3);
    root->setCornerRadius(12);
    root->addSublayer(filledLayer(Rect(0, 0, 40, 40), red));
    auto bitmap = render(*root);
    EXPECT_TRUE(pixels::near(bitmap->pixel(1, 20), blue));
    EXPECT_TRUE(pixels::near(bitmap->pixel(20, 20), red));
    // The corner pixel is the sublayer's (not clipped), the border curves inside it.
    EXPECT_TRUE(pixels::near(bitmap->pixel(0, 0), red));
}

TEST(Renderer, MasksToBoundsClipsSublayers) {
    auto root = filledLayer(Rect(10, 10, 20, 20), blue);
    auto sublayer = filledLayer(Rect(10, 10, 20, 20), red);
    root->addSublayer(sublayer);
    // The sublayer reaches from (20, 20) to (40, 40) in the render, past the root's (30, 30).
    auto unclipped = render(*root);
    EXPECT_TRUE(pixels::near(unclipped->pixel(35, 4), red));
    EXPECT_TRUE(pixels::near(unclipped->pixel(25, 14), red));

    root->setMasksToBounds(true);
    auto clipped = render(*root);
    EXPECT_EQ(clipped->pixel(35, 4), clear);
    EXPECT_TRUE(pixels::near(clipped->pixel(25, 14), red));
    EXPECT_TRUE(pixels::near(clipped->pixel(15, 24), blue));

    // To the rounded corners too.
    root->setFrame(Rect(0, 0, 40, 40));
    root->setCornerRadius(15);
    sublayer->setFrame(Rect(0, 0, 40, 40));
    auto rounded = render(*root);
    EXPECT_EQ(rounded->pixel(1, 1), clear);
    EXPECT_TRUE(pixels::near(rounded->pixel(20, 20), red));
}

TEST(Renderer, CircleMaskCutsASquareFillToACircle) {
    auto root = filledLayer(Rect(0, 0, 40, 40), red);
    auto mask = Layer::layer();
    mask->setFrame(Rect(0, 0, 40, 40));
    mask->setContents(circleBitmap(40));
    root->setMask(mask);
    auto bitmap = render(*root);
    EXPECT_EQ(bitmap->pixel(1, 1), clear);
    EXPECT_EQ(bitmap->pixel(38, 38), clear);
    EXPECT_TRUE(pixels::near(bitmap->pixel(20, 20), red));
    EXPECT_TRUE(pixels::near(bitmap->pixel(20, 1), red));
    EXPECT_TRUE(pixels::near(bitmap->pixel(1, 20), red));
}

TEST(Renderer, MaskFrameIsInTheLayersOwnSpaceAndNothingShowsOutsideIt) {
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 40, 40));
    auto layer = filledLayer(Rect(10, 10, 30, 30), red);
    root->addSublayer(layer);
    // The left half of the layer, by its background colour.
    layer->setMask(filledLayer(Rect(0, 0, 15, 30), Color::blackColor()));
    auto bitmap = render(*root);
    EXPECT_TRUE(pixels::near(bitmap->pixel(12, 20), red));
    EXPECT_TRUE(pixels::near(bitmap->pixel(24, 20), red));
    EXPECT_EQ(bitmap->pixel(26, 20), clear);
    EXPECT_EQ(bitmap->pixel(38, 20), clear);
}

TEST(Renderer, HalfOpacityHalvesAlphaOfTheLayerAsOne) {
    auto root = filledLayer(Rect(0, 0, 40, 40), red);
    root->setOpacity(0.5f);
    // An opaque sublayer over it does not add up to more: the layer fades as a whole.
    root->addSublayer(filledLayer(Rect(0, 0, 20, 40), blue));
    auto bitmap = render(*root);
    EXPECT_TRUE(pixels::near(bitmap->pixel(30, 20), red.withAlpha(0.5)));
    EXPECT_TRUE(pixels::near(bitmap->pixel(10, 20), blue.withAlpha(0.5)));
    root->setOpacity(0);
    EXPECT_EQ(pixels::inkBox(*render(*root)).count, 0);
}

TEST(Renderer, SublayersArePlacedByPositionAndAnchorPointWithYUp) {
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 40, 40));
    auto sublayer = filledLayer(Rect(0, 0, 10, 10), red);
    sublayer->setAnchorPoint({0, 0});
    sublayer->setPosition({5, 5});
    root->addSublayer(sublayer);
    auto bitmap = render(*root);
    // From (5, 5) to (15, 15) with y up: near the bottom left of the bitmap.
    EXPECT_TRUE(pixels::near(bitmap->pixel(6, 33), red));
    EXPECT_TRUE(pixels::near(bitmap->pixel(14, 25), red));
    EXPECT_EQ(bitmap->pixel(6, 6), clear);
    EXPECT_EQ(bitmap->pixel(16, 33), clear);
}

TEST(Renderer, GeometryFlippedPutsSublayerOriginsAtTheTopAndComposes) {
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 40, 40));
    root->setGeometryFlipped(true);
    auto flippedChild = Layer::layer();
    flippedChild->setFrame(Rect(0, 0, 40, 20)); // the top half
    root->addSublayer(flippedChild);
    flippedChild->addSublayer(filledLayer(Rect(0, 0, 10, 10), red));

    auto bitmap = render(*root);
    EXPECT_TRUE(pixels::near(bitmap->pixel(5, 5), red));
    EXPECT_EQ(bitmap->pixel(5, 35), clear);

    // Flipped again below a flipped layer, y grows up once more: the bottom of the top half.
    flippedChild->setGeometryFlipped(true);
    auto twice = render(*root);
    EXPECT_TRUE(pixels::near(twice->pixel(5, 15), red));
    EXPECT_EQ(twice->pixel(5, 5), clear);
}

TEST(Renderer, BoundsOriginShiftsWhatALayerShows) {
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 40, 40));
    root->setBounds(Rect(20, 20, 40, 40));
    root->addSublayer(filledLayer(Rect(20, 20, 10, 10), red));
    auto bitmap = render(*root);
    EXPECT_TRUE(pixels::near(bitmap->pixel(5, 35), red));
    EXPECT_EQ(bitmap->pixel(25, 15), clear);
}

TEST(Renderer, ContentsAreStretchedOverTheBoundsUpright) {
    // Top half red, bottom half blue, 2 x 2 pixels.
    auto contents = Bitmap::make(2, 2);
    cairo_t* cairo = cairo_create(contents->cairoSurface());
    cairo_set_source_rgba(cairo, 1, 0, 0, 1);
    cairo_rectangle(cairo, 0, 0, 2, 1);
    cairo_fill(cairo);
    cairo_set_source_rgba(cairo, 0, 0, 1, 1);
    cairo_rectangle(cairo, 0, 1, 2, 1);
    cairo_fill(cairo);
    cairo_destroy(cairo);
    cairo_surface_flush(contents->cairoSurface());

    for (bool flipped : {false, true}) {
        auto root = Layer::layer();
        root->setFrame(Rect(0, 0, 40, 40));
        root->setGeometryFlipped(flipped);
        root->setContents(contents);
        auto bitmap = render(*root);
        EXPECT_TRUE(pixels::near(bitmap->pixel(20, 2), red)) << "flipped " << flipped;
        EXPECT_TRUE(pixels::near(bitmap->pixel(20, 37), blue)) << "flipped " << flipped;
        EXPECT_TRUE(pixels::near(bitmap->pixel(0, 0), red)) << "flipped " << flipped;
    }
}

TEST(Renderer, AShapeLayerWithoutAPathShowsOnlyItsBackground) {
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 40, 40));
    auto shape = quartz::ShapeLayer::layer();
    shape->setFrame(Rect(0, 0, 20, 40));
    shape->setFillColor(blue); // fills a path, and there is none
    root->addSublayer(shape);
    EXPECT_EQ(render(*root)->pixel(10, 20), clear);
    shape->setBackgroundColor(red);
    auto bitmap = render(*root);
    EXPECT_TRUE(pixels::near(bitmap->pixel(10, 20), red));
    EXPECT_EQ(bitmap->pixel(30, 20), clear);
}

TEST(Renderer, AnimatedPositionAndOpacityAreDrawnFromThePresentation) {
    foundation::ScopedManualClock clock;
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 40, 40));
    auto moving = filledLayer(Rect(0, 0, 10, 10), red);
    root->addSublayer(moving);
    auto move = BasicAnimation::animationWithKeyPath("position");
    move.setFromValue(quartz::Point{5, 5});
    move.setToValue(quartz::Point{25, 5});
    move.setDuration(1);
    moving->addAnimation(move, "move");
    auto fade = BasicAnimation::animationWithKeyPath("opacity");
    fade.setFromValue(1.0);
    fade.setToValue(0.0);
    fade.setDuration(1);
    moving->addAnimation(fade, "fade");

    auto bitmap = render(*root, 40, 1, clock->now() + 0.5);
    // Halfway: centred at (15, 5), half transparent.
    EXPECT_TRUE(pixels::near(bitmap->pixel(15, 34), red.withAlpha(0.5)));
    EXPECT_EQ(bitmap->pixel(5, 34), clear);
}

TEST(Renderer, DrawLayerTreeDrawsInTheSuperlayerSpaceOfTheContext) {
    // A flipped context at scale 2, as a view that is flipped would hand over.
    auto bitmap = Bitmap::make(80, 80);
    cairo_t* cairo = cairo_create(bitmap->cairoSurface());
    cairo_scale(cairo, 2, 2);
    quartz::GraphicsContext context(cairo, 2, true);
    auto layer = filledLayer(Rect(0, 0, 10, 10), red);
    quartz::drawLayerTree(context, *layer, 0);
    cairo_destroy(cairo);
    EXPECT_TRUE(pixels::near(bitmap->pixel(1, 1), red));
    EXPECT_TRUE(pixels::near(bitmap->pixel(19, 19), red));
    EXPECT_EQ(bitmap->pixel(21, 21), clear);
}
