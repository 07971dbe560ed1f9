#include "platform/quartz/bitmap_difference.h"

#include <cairo.h>
#include <gtest/gtest.h>

using quartz::Bitmap;
using quartz::differingArea;
using quartz::PixelArea;

namespace {

void paint(const Bitmap& bitmap, PixelArea area, double red) {
    cairo_t* context = cairo_create(bitmap.cairoSurface());
    cairo_rectangle(context, area.x, area.y, area.width, area.height);
    cairo_set_source_rgb(context, red, 0, 0);
    cairo_fill(context);
    cairo_destroy(context);
}

} // namespace

TEST(BitmapDifference, BoundsEveryChangedPixelAndNoMore) {
    auto before = Bitmap::make(30, 20);
    auto after = Bitmap::make(30, 20);
    // Everything without an earlier frame of the same size.
    EXPECT_EQ(differingArea(nullptr, *after), (PixelArea{0, 0, 30, 20}));
    EXPECT_EQ(differingArea(Bitmap::make(20, 30).get(), *after), (PixelArea{0, 0, 30, 20}));
    EXPECT_EQ(differingArea(Bitmap::make(30, 21).get(), *after), (PixelArea{0, 0, 30, 20}));
    paint(*before, {3, 4, 5, 6}, 1);
    paint(*after, {3, 4, 5, 6}, 1);
    EXPECT_EQ(differingArea(before.get(), *after), std::nullopt);
    paint(*after, {29, 0, 1, 1}, 1);
    EXPECT_EQ(differingArea(before.get(), *after), (PixelArea{29, 0, 1, 1}));
    paint(*after, {0, 19, 1, 1}, 1);
    EXPECT_EQ(differingArea(before.get(), *after), (PixelArea{0, 0, 30, 20}));

    // Changes in separate rows, the later one further left and the earlier one further right.
    auto shifted = Bitmap::make(30, 20);
    paint(*shifted, {3, 4, 5, 6}, 1);
    paint(*shifted, {10, 2, 4, 1}, 0.5);
    paint(*shifted, {6, 9, 2, 3}, 0.5);
    EXPECT_EQ(differingArea(before.get(), *shifted), (PixelArea{6, 2, 8, 10}));
}
