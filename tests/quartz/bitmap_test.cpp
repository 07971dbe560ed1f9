#include "platform/quartz/bitmap.h"

#include <cairo.h>
#include <gtest/gtest.h>

using quartz::Bitmap;
using quartz::Color;

TEST(Bitmap, StartsFullyTransparent) {
    auto bitmap = Bitmap::make(3, 2);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width(), 3);
    EXPECT_EQ(bitmap->height(), 2);
    EXPECT_EQ(bitmap->argbAt(2, 1), 0u);
    EXPECT_EQ(bitmap->pixel(0, 0), Color::clearColor());
}

TEST(Bitmap, PixelUndoesThePremultiplication) {
    auto bitmap = Bitmap::make(1, 1);
    cairo_t* context = cairo_create(bitmap->cairoSurface());
    cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(context, 1, 0, 0, 0.6);
    cairo_paint(context);
    cairo_destroy(context);
    cairo_surface_flush(bitmap->cairoSurface());
    EXPECT_EQ(bitmap->argbAt(0, 0), 0x99990000u);
    Color pixel = bitmap->pixel(0, 0);
    EXPECT_DOUBLE_EQ(pixel.red(), 1);
    EXPECT_DOUBLE_EQ(pixel.green(), 0);
    EXPECT_DOUBLE_EQ(pixel.alpha(), 0.6);
}

TEST(Bitmap, PixelsOutsideAreClear) {
    auto bitmap = Bitmap::make(2, 2);
    EXPECT_EQ(bitmap->argbAt(-1, 0), 0u);
    EXPECT_EQ(bitmap->argbAt(2, 0), 0u);
    EXPECT_EQ(bitmap->pixel(0, 2), Color::clearColor());
}

TEST(Bitmap, EmptyOrOversizedBitmapsAreNotMade) {
    EXPECT_EQ(Bitmap::make(0, 5), nullptr);
    EXPECT_EQ(Bitmap::make(5, -1), nullptr);
    EXPECT_EQ(Bitmap::make(Bitmap::maximumSide + 1, 1), nullptr);
}
