#include "platform/foundation/clock.h"
#include "platform/quartz/renderer.h"
#include "platform/quartz/text_layer.h"
#include "platform/quartz/text_layout.h"
#include "tests/quartz/pixel_checks.h"

#include <cmath>
#include <gtest/gtest.h>

// Text layers through renderLayerTree (row 0 of a bitmap is the top on screen).

using quartz::Color;
using quartz::Rect;
using quartz::TextLayer;

namespace {

std::shared_ptr<TextLayer> textLayer(const std::string& text, Rect frame, double fontSize = 20) {
    auto layer = TextLayer::layer();
    layer->setFrame(frame);
    layer->setString(text);
    layer->setFont("DejaVu Sans");
    layer->setFontSize(fontSize);
    layer->setForegroundColor(Color::blackColor());
    return layer;
}

quartz::TextStyle dejaVu(double size) {
    quartz::TextStyle style;
    style.fontFamily = "DejaVu Sans";
    style.fontSize = size;
    return style;
}

// Of the pixels the text touches, the share that are neither nearly clear nor nearly opaque.
double shareOfGreys(const quartz::Bitmap& bitmap) {
    int touched = 0;
    int greys = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            double alpha = pixels::alphaAt(bitmap, x, y);
            if (alpha <= 0.05)
                continue;
            ++touched;
            greys += alpha < 0.95;
        }
    }
    return touched ? static_cast<double>(greys) / touched : 1.0;
}

// The colour of the first fully covered pixel.
Color opaqueInk(const quartz::Bitmap& bitmap) {
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (pixels::alphaAt(bitmap, x, y) == 1)
                return bitmap.pixel(x, y);
    return Color::clearColor();
}

} // namespace

TEST(TextLayerRendering, PaintsInsideItsMeasuredSizeFromTheTopOfTheBounds) {
    const std::string text = "Hello, World";
    // The layer is 40 points high in a 200 x 60 render: its top is 10 points below the top.
    auto layer = textLayer(text, Rect(0, 10, 200, 40));
    auto bitmap = quartz::renderLayerTree(*layer, {200, 60}, 1, 0);
    quartz::Size measured = quartz::sizeOfText(text, dejaVu(20));
    pixels::InkBox ink = pixels::inkBox(*bitmap);
    ASSERT_GT(ink.count, 100);
    EXPECT_GE(ink.minY, 10);
    EXPECT_LT(ink.maxY, 10 + std::ceil(measured.height));
    EXPECT_GE(ink.minX, 0);
    EXPECT_LT(ink.maxX, std::ceil(measured.width));
    EXPECT_GT(ink.maxX, measured.width - 4);
    // Ink is the foreground colour.
    EXPECT_TRUE(pixels::near(opaqueInk(*bitmap), Color::blackColor()));
}

TEST(TextLayerRendering, UsesTheLayerDefaultsWhiteAndTheSansFont) {
    auto layer = TextLayer::layer();
    layer->setFrame(Rect(0, 0, 100, 50));
    layer->setString("Ay");
    auto bitmap = quartz::renderLayerTree(*layer, {100, 50}, 1, 0);
    pixels::InkBox ink = pixels::inkBox(*bitmap, 0.9);
    ASSERT_GT(ink.count, 0);
    EXPECT_TRUE(pixels::near(opaqueInk(*bitmap), Color::whiteColor()));
    // 36 points of "Ay" fill most of the 42 point line.
    quartz::Size measured = quartz::sizeOfText("Ay", dejaVu(36));
    EXPECT_GT(ink.maxY - ink.minY, 25);
    EXPECT_LT(ink.maxY, std::ceil(measured.height));
}

TEST(TextLayerRendering, IsAlignedAndClippedInItsBounds) {
    auto layer = textLayer("Right", Rect(0, 0, 150, 30));
    layer->setAlignmentMode(TextLayer::AlignmentMode::right);
    pixels::InkBox right = pixels::inkBox(*quartz::renderLayerTree(*layer, {200, 30}, 1, 0));
    EXPECT_GT(right.maxX, 140);
    EXPECT_LT(right.maxX, 150);

    auto wide = textLayer("A string much wider than its layer", Rect(0, 0, 60, 30));
    pixels::InkBox clipped = pixels::inkBox(*quartz::renderLayerTree(*wide, {200, 30}, 1, 0));
    EXPECT_LT(clipped.maxX, 60);
}

TEST(TextLayerRendering, ScaleTwoIsTwiceTheSizeAndSharpAtContentsScaleTwo) {
    auto layer = textLayer("Sharp text", Rect(0, 0, 120, 30));
    layer->setContentsScale(2);
    auto sharp = quartz::renderLayerTree(*layer, {120, 30}, 2, 0);
    ASSERT_EQ(sharp->width(), 240);
    ASSERT_EQ(sharp->height(), 60);
    layer->setContentsScale(1);
    auto upscaled = quartz::renderLayerTree(*layer, {120, 30}, 2, 0);
    auto single = quartz::renderLayerTree(*layer, {120, 30}, 1, 0);

    // Both at scale 2 cover the same place, twice the scale 1 one.
    pixels::InkBox sharpInk = pixels::inkBox(*sharp, 0.5);
    pixels::InkBox upscaledInk = pixels::inkBox(*upscaled, 0.5);
    pixels::InkBox singleInk = pixels::inkBox(*single, 0.5);
    EXPECT_NEAR(sharpInk.maxX, 2 * singleInk.maxX, 3);
    EXPECT_NEAR(upscaledInk.maxX, 2 * singleInk.maxX, 3);
    // Rasterised at two pixels a point, edges are crisp; stretched from one, they are grey.
    double sharpGreys = shareOfGreys(*sharp);
    double upscaledGreys = shareOfGreys(*upscaled);
    EXPECT_LT(sharpGreys, upscaledGreys * 0.8) << sharpGreys << " vs " << upscaledGreys;
}

TEST(TextLayerRendering, TextThroughABackingStoreLandsWhereDirectTextDoes) {
    // A contents scale a hair off the backing scale sends the text through a backing store.
    for (bool flipped : {false, true}) {
        auto layer = textLayer("Same", Rect(0, 0, 80, 30));
        layer->setGeometryFlipped(flipped);
        auto direct = quartz::renderLayerTree(*layer, {80, 30}, 1, 0);
        layer->setContentsScale(1.00001);
        auto stored = quartz::renderLayerTree(*layer, {80, 30}, 1, 0);
        pixels::InkBox directInk = pixels::inkBox(*direct, 0.5);
        pixels::InkBox storedInk = pixels::inkBox(*stored, 0.5);
        EXPECT_NEAR(directInk.minX, storedInk.minX, 1) << "flipped " << flipped;
        EXPECT_NEAR(directInk.maxX, storedInk.maxX, 1) << "flipped " << flipped;
        EXPECT_NEAR(directInk.minY, storedInk.minY, 1) << "flipped " << flipped;
        EXPECT_NEAR(directInk.maxY, storedInk.maxY, 1) << "flipped " << flipped;
        EXPECT_LT(directInk.maxY, 25) << "flipped " << flipped; // from the top, upright
    }
}

TEST(TextLayerRendering, FontSizeAndColourAnimate) {
    foundation::ScopedManualClock clock;
    auto layer = textLayer("M", Rect(0, 0, 80, 80), 10);
    auto animation = quartz::BasicAnimation::animationWithKeyPath("fontSize");
    animation.setFromValue(10.0);
    animation.setToValue(50.0);
    animation.setDuration(1);
    layer->addAnimation(animation, "grow");
    auto small = pixels::inkBox(*quartz::renderLayerTree(*layer, {80, 80}, 1, clock->now()));
    auto large = pixels::inkBox(*quartz::renderLayerTree(*layer, {80, 80}, 1, clock->now() + 0.5));
    EXPECT_GT(large.maxY - large.minY, 2.5 * (small.maxY - small.minY));
}
