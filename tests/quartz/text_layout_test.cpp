#include "platform/quartz/text_layout.h"
#include "tests/quartz/pixel_checks.h"

#include <cairo.h>
#include <cmath>
#include <gtest/gtest.h>

using quartz::Bitmap;
using quartz::GraphicsContext;
using quartz::Rect;
using quartz::Size;
using quartz::TextAlignment;
using quartz::TextStyle;

namespace {

TextStyle dejaVu(double size) {
    TextStyle style;
    style.fontFamily = "DejaVu Sans";
    style.fontSize = size;
    return style;
}

// Text drawn into a clear bitmap of a size in points at a scale, in a context flipped or not.
std::shared_ptr<Bitmap> drawn(const std::string& text, const TextStyle& style, Size size, double scale,
                              bool flipped, Rect rect) {
    auto bitmap = Bitmap::make(static_cast<int>(size.width * scale), static_cast<int>(size.height * scale));
    cairo_t* cairo = cairo_create(bitmap->cairoSurface());
    if (flipped) {
        cairo_scale(cairo, scale, scale);
    } else {
        cairo_translate(cairo, 0, size.height * scale);
        cairo_scale(cairo, scale, -scale);
    }
    GraphicsContext context(cairo, scale, flipped);
    quartz::drawText(context, text, style, rect);
    cairo_destroy(cairo);
    cairo_surface_flush(bitmap->cairoSurface());
    return bitmap;
}

} // namespace

TEST(TextLayout, MeasuresAKnownStringInItsFont) {
    Size size = quartz::sizeOfText("Hello, World", dejaVu(20));
    // DejaVu Sans: 20 points have a 23.3 point line (ascent 0.928 em + descent 0.236 em).
    EXPECT_NEAR(size.height, 23.28, 0.1);
    EXPECT_GT(size.width, 100);
    EXPECT_LT(size.width, 150);
    // Twice the font, twice the size: no hinting bends the metrics.
    Size doubled = quartz::sizeOfText("Hello, World", dejaVu(40));
    EXPECT_NEAR(doubled.width, 2 * size.width, 0.05);
    EXPECT_NEAR(doubled.height, 2 * size.height, 0.05);
    EXPECT_EQ(quartz::sizeOfText("", dejaVu(20)), Size());
    EXPECT_TRUE(quartz::lineTops("", dejaVu(20)).empty());
}

TEST(TextLayout, KerningWidensMeasuredText) {
    TextStyle plain = dejaVu(13);
    TextStyle kerned = plain;
    kerned.kern = 2.0;
    Size narrow = quartz::sizeOfText("Kerning", plain);
    Size wide = quartz::sizeOfText("Kerning", kerned);
    // Two points more after each of the seven letters, as AppKit measures kerned text.
    EXPECT_NEAR(wide.width, narrow.width + 14, 1e-6);
    EXPECT_DOUBLE_EQ(wide.height, narrow.height);
}

TEST(TextLayout, LineHeightMultipleAndLineSpacingFollowTheParagraphStyle) {
    TextStyle natural = dejaVu(10);
    double line = quartz::sizeOfText("A", natural).height;

    TextStyle doubled = natural;
    doubled.lineHeightMultiple = 2;
    std::vector<double> tops = quartz::lineTops("A\nB", doubled);
    ASSERT_EQ(tops.size(), 2u);
    EXPECT_NEAR(tops[1], 2 * line, 1e-9);

    // The minimum only raises and the maximum only lowers.
    TextStyle raised = doubled;
    raised.minimumLineHeight = 5;
    raised.maximumLineHeight = 15;
    EXPECT_NEAR(quartz::lineTops("A\nB", raised)[1], 15, 1e-9);

    TextStyle spaced = natural;
    spaced.lineSpacing = 4;
    EXPECT_NEAR(quartz::lineTops("A\nB", spaced)[1], line + 4, 1e-9);
    // Spacing goes between lines, not after the last.
    EXPECT_NEAR(quartz::sizeOfText("A\nB", spaced).height, 2 * line + 4, 1e-9);

    // Equal minimum and maximum put lines exactly that far apart, whatever the font size.
    for (double fontSize : {9.0, 13.0, 30.0}) {
        TextStyle style = dejaVu(fontSize);
        style.minimumLineHeight = 20;
        style.maximumLineHeight = 20;
        EXPECT_EQ(quartz::lineTops("one\ntwo\nthree", style), (std::vector<double>{0, 20, 40})) << fontSize;
        EXPECT_DOUBLE_EQ(quartz::sizeOfText("one\ntwo\nthree", style).height, 60) << fontSize;
    }
}

TEST(TextLayout, WrapsAtTheWidthOnlyWhenTheStyleWraps) {
    const std::string text = "the quick brown fox jumps over the lazy dog";
    TextStyle style = dejaVu(13);
    Size oneLine = quartz::sizeOfText(text, style, 80.0);
    EXPECT_GT(oneLine.width, 80);
    EXPECT_EQ(quartz::lineTops(text, style, 80.0).size(), 1u);

    style.wraps = true;
    Size wrapped = quartz::sizeOfText(text, style, 80.0);
    EXPECT_LE(wrapped.width, 80);
    EXPECT_GE(quartz::lineTops(text, style, 80.0).size(), 4u);
    EXPECT_GT(wrapped.height, 3 * oneLine.height);
}

TEST(TextLayout, DrawnTextPaintsOnlyInsideItsMeasuredSize) {
    const std::string text = "Hello, World";
    for (std::optional<double> kern : {std::optional<double>(), std::optional<double>(1.5)}) {
        TextStyle style = dejaVu(20);
        style.kern = kern;
        Size measured = quartz::sizeOfText(text, style);
        auto bitmap = drawn(text, style, {200, 40}, 1, true, Rect(0, 0, 200, 40));
        pixels::InkBox ink = pixels::inkBox(*bitmap);
        ASSERT_GT(ink.count, 100);
        EXPECT_GE(ink.minX, 0);
        EXPECT_LT(ink.maxX, std::ceil(measured.width));
        EXPECT_LT(ink.maxY, std::ceil(measured.height));
        // And it fills most of that size: the measurement is not merely generous.
        EXPECT_GT(ink.maxX, measured.width - 4 - kern.value_or(0));
        EXPECT_GT(ink.maxY, measured.height * 0.6);
    }
}

TEST(TextLayout, TextIsUprightAndFromTheTopWhateverTheFlipping) {
    TextStyle style = dejaVu(16);
    // In a flipped context the rect's origin is its top; where y grows up it is its bottom.
    auto flipped = drawn("Upright", style, {120, 40}, 1, true, Rect(4, 6, 100, 30));
    auto unflipped = drawn("Upright", style, {120, 40}, 1, false, Rect(4, 4, 100, 30));
    pixels::InkBox ink = pixels::inkBox(*flipped);
    EXPECT_GE(ink.minY, 6);
    EXPECT_LT(ink.minY, 12);
    int differing = 0;
    for (int y = 0; y < flipped->height(); ++y)
        for (int x = 0; x < flipped->width(); ++x)
            differing += flipped->argbAt(x, y) != unflipped->argbAt(x, y);
    EXPECT_EQ(differing, 0);
}

TEST(TextLayout, AlignmentPlacesTheLineInTheWidth) {
    TextStyle style = dejaVu(14);
    const std::string text = "Aligned";
    double width = quartz::sizeOfText(text, style).width;

    style.alignment = TextAlignment::right;
    pixels::InkBox right = pixels::inkBox(*drawn(text, style, {200, 30}, 1, true, Rect(0, 0, 200, 30)));
    EXPECT_GT(right.minX, 200 - width - 2);
    EXPECT_GE(right.maxX, 196);

    style.alignment = TextAlignment::center;
    pixels::InkBox centered = pixels::inkBox(*drawn(text, style, {200, 30}, 1, true, Rect(0, 0, 200, 30)));
    EXPECT_NEAR((centered.minX + centered.maxX) / 2.0, 100, 3);

    style.alignment = TextAlignment::natural;
    pixels::InkBox natural = pixels::inkBox(*drawn(text, style, {200, 30}, 1, true, Rect(0, 0, 200, 30)));
    EXPECT_LE(natural.minX, 2);

    // Natural alignment, and a justified line that is not stretched, start where the text starts.
    const std::string hebrew = "שלום עולם";
    for (TextAlignment alignment : {TextAlignment::natural, TextAlignment::justified}) {
        style.alignment = alignment;
        pixels::InkBox rightToLeft =
            pixels::inkBox(*drawn(hebrew, style, {200, 30}, 1, true, Rect(0, 0, 200, 30)));
        EXPECT_GT(rightToLeft.minX, 100);
        EXPECT_GE(rightToLeft.maxX, 196);
    }
}

TEST(TextLayout, JustifiedLinesReachTheWidthButTheLastDoesNot) {
    TextStyle style = dejaVu(12);
    style.wraps = true;
    style.alignment = TextAlignment::justified;
    style.minimumLineHeight = 20;
    style.maximumLineHeight = 20;
    const std::string text = "justified text spreads its words over every line but the last one";
    auto bitmap = drawn(text, style, {150, 120}, 1, true, Rect(0, 0, 150, 120));
    std::vector<double> tops = quartz::lineTops(text, style, 150.0);
    ASSERT_GE(tops.size(), 3u);
    auto rightmostInk = [&](double top) {
        int rightmost = -1;
        for (int y = static_cast<int>(top); y < static_cast<int>(top) + 20; ++y)
            for (int x = 0; x < bitmap->width(); ++x)
                if (pixels::alphaAt(*bitmap, x, y) > 0.3)
                    rightmost = std::max(rightmost, x);
        return rightmost;
    };
    EXPECT_GE(rightmostInk(tops[0]), 146);
    EXPECT_LT(rightmostInk(tops.back()), 140);
}
