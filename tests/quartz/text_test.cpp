#include "platform/quartz/renderer.h"
#include "platform/quartz/text_layer.h"
#include "platform/quartz/text_layout.h"
#include "tests/quartz/pixel_checks.h"

#include <cairo.h>
#include <cstring>
#include <gtest/gtest.h>

using namespace quartz;

namespace {

TextStyle dejaVu(double size) {
    TextStyle style;
    style.fontFamily = "DejaVu Sans";
    style.fontSize = size;
    return style;
}

// Text drawn into a clear bitmap of a size in points at scale 1, in a context flipped or not.
std::shared_ptr<Bitmap> drawn(const std::string& text, const TextStyle& style, Size size, bool flipped = true,
                              std::optional<Rect> rect = std::nullopt) {
    auto bitmap = Bitmap::make(static_cast<int>(size.width), static_cast<int>(size.height));
    cairo_t* cairo = cairo_create(bitmap->cairoSurface());
    if (!flipped) {
        cairo_translate(cairo, 0, size.height);
        cairo_scale(cairo, 1, -1);
    }
    GraphicsContext context(cairo, 1, flipped);
    drawText(context, text, style, rect.value_or(Rect(0, 0, size.width, size.height)));
    cairo_destroy(cairo);
    cairo_surface_flush(bitmap->cairoSurface());
    return bitmap;
}

std::shared_ptr<TextLayer> textLayer(const std::string& text, Rect frame, double fontSize = 20) {
    auto layer = TextLayer::layer();
    layer->setFrame(frame);
    layer->setString(text);
    layer->setFont("DejaVu Sans");
    layer->setFontSize(fontSize);
    return layer;
}

} // namespace

TEST(TextLayout, MeasuresTextInItsFontWithKerningAndWrapping) {
    Size size = sizeOfText("Hello, World", dejaVu(20));
    // DejaVu Sans: 20 points have a 23.3 point line (ascent 0.928 em + descent 0.236 em).
    EXPECT_NEAR(size.height, 23.28, 0.1);
    // Twice the font, twice the size: no hinting bends the metrics.
    EXPECT_NEAR(sizeOfText("Hello, World", dejaVu(40)).width, 2 * size.width, 0.05);
    EXPECT_EQ(sizeOfText("", dejaVu(20)), Size());
    // Kerning adds its amount after each letter, as AppKit measures.
    TextStyle kerned = dejaVu(20);
    kerned.kern = 2.0;
    EXPECT_NEAR(sizeOfText("Hello, World", kerned).width, size.width + 24, 1e-6);

    const std::string text = "the quick brown fox jumps over the lazy dog";
    TextStyle style = dejaVu(13);
    EXPECT_EQ(lineTops(text, style, 80.0).size(), 1u);
    style.wraps = true;
    EXPECT_LE(sizeOfText(text, style, 80.0).width, 80);
    EXPECT_GE(lineTops(text, style, 80.0).size(), 4u);
}

TEST(TextLayout, LineHeightMultipleAndLineSpacingFollowTheParagraphStyle) {
    TextStyle natural = dejaVu(10);
    double line = sizeOfText("A", natural).height;
    TextStyle doubled = natural;
    doubled.lineHeightMultiple = 2;
    EXPECT_NEAR(lineTops("A\nB", doubled).at(1), 2 * line, 1e-9);
    // The minimum only raises and the maximum only lowers.
    doubled.minimumLineHeight = 5;
    doubled.maximumLineHeight = 15;
    EXPECT_NEAR(lineTops("A\nB", doubled).at(1), 15, 1e-9);
    // Spacing goes between lines, not after the last.
    TextStyle spaced = natural;
    spaced.lineSpacing = 4;
    EXPECT_NEAR(lineTops("A\nB", spaced).at(1), line + 4, 1e-9);
    EXPECT_NEAR(sizeOfText("A\nB", spaced).height, 2 * line + 4, 1e-9);
    // Equal minimum and maximum put lines exactly that far apart, whatever the font size.
    for (double fontSize : {9.0, 30.0}) {
        TextStyle style = dejaVu(fontSize);
        style.minimumLineHeight = style.maximumLineHeight = 20;
        EXPECT_EQ(lineTops("one\ntwo\nthree", style), (std::vector<double>{0, 20, 40})) << fontSize;
        EXPECT_DOUBLE_EQ(sizeOfText("one\ntwo\nthree", style).height, 60) << fontSize;
    }
}

// Drawn text fills its measured size, kerned or not, from the rect's top whatever the flipping.
TEST(TextLayout, DrawnTextFillsItsMeasuredSizeFromTheTopUpright) {
    for (std::optional<double> kern : {std::optional<double>(), std::optional<double>(1.5)}) {
        TextStyle style = dejaVu(20);
        style.kern = kern;
        Size measured = sizeOfText("Hello, World", style);
        pixels::InkBox ink =
            pixels::inkBox(*drawn("Hello, World", style, {200, 40}, true, Rect(0, 6, 200, 34)));
        EXPECT_GE(ink.minY, 6);
        EXPECT_LT(ink.minY, 12);
        EXPECT_LT(ink.maxX, std::ceil(measured.width));
        EXPECT_GT(ink.maxX, measured.width - 4 - kern.value_or(0));
        EXPECT_LT(ink.maxY, 6 + std::ceil(measured.height));
        EXPECT_GT(ink.maxY, 6 + measured.height * 0.6);
    }
    // Where y grows up a rect's origin is its bottom.
    auto flipped = drawn("Upright", dejaVu(16), {120, 40}, true, Rect(4, 6, 100, 30));
    auto unflipped = drawn("Upright", dejaVu(16), {120, 40}, false, Rect(4, 4, 100, 30));
    EXPECT_EQ(0, std::memcmp(cairo_image_surface_get_data(flipped->cairoSurface()),
                             cairo_image_surface_get_data(unflipped->cairoSurface()), 120 * 40 * 4));
}

TEST(TextLayout, AlignmentPlacesTheLineInTheWidth) {
    struct Case {
        TextAlignment alignment;
        std::string text;
        double place; // 0 at the left, 1 at the right
    };
    // Natural alignment, and a justified line that is not stretched, start where the text starts.
    for (auto [alignment, text, place] :
         {Case{TextAlignment::right, "Aligned", 1}, Case{TextAlignment::center, "Aligned", 0.5},
          Case{TextAlignment::natural, "Aligned", 0}, Case{TextAlignment::natural, "שלום עולם", 1},
          Case{TextAlignment::justified, "שלום עולם", 1}}) {
        TextStyle style = dejaVu(14);
        style.alignment = alignment;
        double width = sizeOfText(text, style).width;
        pixels::InkBox ink = pixels::inkBox(*drawn(text, style, {200, 30}));
        EXPECT_NEAR((ink.minX + ink.maxX) / 2.0, place * (200 - width) + width / 2, 3)
            << text << " " << place;
    }
}

TEST(TextLayout, JustifiedLinesReachTheWidthButTheLastDoesNot) {
    TextStyle style = dejaVu(12);
    style.wraps = true;
    style.alignment = TextAlignment::justified;
    style.minimumLineHeight = style.maximumLineHeight = 20;
    const std::string text = "justified text spreads its words over every line but the last one";
    auto bitmap = drawn(text, style, {150, 120});
    auto rightmostInk = [&](double top) {
        int rightmost = -1;
        for (int y = static_cast<int>(top); y < static_cast<int>(top) + 20; ++y)
            for (int x = 0; x < bitmap->width(); ++x)
                if (pixels::alphaAt(*bitmap, x, y) > 0.3)
                    rightmost = std::max(rightmost, x);
        return rightmost;
    };
    std::vector<double> tops = lineTops(text, style, 150.0);
    EXPECT_GE(rightmostInk(tops.at(0)), 146);
    EXPECT_LT(rightmostInk(tops.at(2)), 140);
}

// A text layer, unflipped as layers are, draws from the top of its bounds, in white and a sans
// font unless told otherwise, aligned and clipped in its bounds.
TEST(TextLayerRendering, DrawsFromTheTopOfItsBoundsAlignedAndClipped) {
    auto plain = TextLayer::layer();
    plain->setFrame(Rect(0, 0, 100, 50));
    plain->setString("Ay");
    auto bitmap = renderLayerTree(*plain, {100, 60}, 1, 0);
    pixels::InkBox ink = pixels::inkBox(*bitmap, 0.9);
    // 36 points of "Ay" fill most of the 42 point line below the top, 10 pixels down.
    EXPECT_GE(ink.minY, 10);
    EXPECT_GT(ink.maxY - ink.minY, 25);
    EXPECT_LT(ink.maxY, 10 + std::ceil(sizeOfText("Ay", dejaVu(36)).height));
    for (int y = ink.minY; y <= ink.maxY; ++y)
        for (int x = ink.minX; x <= ink.maxX; ++x)
            if (pixels::alphaAt(*bitmap, x, y) > 0.9) {
                ASSERT_TRUE(pixels::near(bitmap->pixel(x, y).withAlpha(1), Color::whiteColor(), 0.05));
            }

    auto right = textLayer("Right", Rect(0, 0, 150, 30));
    right->setAlignmentMode(TextLayer::AlignmentMode::right);
    EXPECT_NEAR(pixels::inkBox(*renderLayerTree(*right, {200, 30}, 1, 0)).maxX, 146, 4);
    auto wide = textLayer("A string much wider than its layer", Rect(0, 0, 60, 30));
    EXPECT_LT(pixels::inkBox(*renderLayerTree(*wide, {200, 30}, 1, 0)).maxX, 60);
}

TEST(TextLayerRendering, IsSharpAtContentsScaleTwoAndLandsAlikeThroughABackingStore) {
    // Of the pixels the text touches, the share that are neither nearly clear nor nearly opaque.
    auto shareOfGreys = [](const Bitmap& bitmap) {
        auto touched = pixels::inkBox(bitmap, 0.05).count;
        return static_cast<double>(touched - pixels::inkBox(bitmap, 0.95).count) / touched;
    };
    auto layer = textLayer("Sharp text", Rect(0, 0, 120, 30));
    layer->setContentsScale(2);
    auto sharp = renderLayerTree(*layer, {120, 30}, 2, 0);
    layer->setContentsScale(1);
    auto upscaled = renderLayerTree(*layer, {120, 30}, 2, 0);
    EXPECT_NEAR(pixels::inkBox(*sharp, 0.5).maxX, pixels::inkBox(*upscaled, 0.5).maxX, 3);
    EXPECT_LT(shareOfGreys(*sharp), shareOfGreys(*upscaled) * 0.8);

    // A contents scale a hair off the backing scale sends the text through a backing store.
    for (bool flipped : {false, true}) {
        layer->setGeometryFlipped(flipped);
        layer->setContentsScale(1);
        auto direct = pixels::inkBox(*renderLayerTree(*layer, {120, 30}, 1, 0), 0.5);
        layer->setContentsScale(1.00001);
        auto stored = pixels::inkBox(*renderLayerTree(*layer, {120, 30}, 1, 0), 0.5);
        for (auto [a, b] : {std::pair{direct.minX, stored.minX},
                            {direct.maxX, stored.maxX},
                            {direct.minY, stored.minY},
                            {direct.maxY, stored.maxY}})
            EXPECT_NEAR(a, b, 1) << "flipped " << flipped;
        EXPECT_LT(direct.maxY, 25) << "flipped " << flipped;
    }
}
