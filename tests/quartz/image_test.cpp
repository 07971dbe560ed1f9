#include "platform/quartz/bitmap_difference.h"
#include "platform/quartz/image.h"
#include "tests/support/temporary_home.h"

#include <cairo.h>

using namespace quartz;

namespace {

// Paints a rectangle of a bitmap a shade of red, or, without a bitmap, writes a picture of that
// size with or without alpha whose right half is red, and returns the file's bytes.
std::string paint(cairo_surface_t* surface, PixelArea area, double red = 1, const char* path = nullptr) {
    cairo_t* context = cairo_create(surface);
    cairo_rectangle(context, area.x, area.y, area.width, area.height);
    cairo_set_source_rgb(context, red, 0, 0);
    cairo_fill(context);
    cairo_destroy(context);
    if (!path)
        return {};
    cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
    return readFile(path);
}

std::string halfRedPng(const std::filesystem::path& path, int width, int height,
                       cairo_format_t format = CAIRO_FORMAT_ARGB32) {
    return paint(cairo_image_surface_create(format, width, height), {width / 2, 0, width / 2, height}, 1,
                 path.c_str());
}

} // namespace

class ImageFile : public TemporaryHome {};

TEST_F(ImageFile, LoadsPixelsAtTheirDensityAndRefusesWhatIsNoUsablePicture) {
    halfRedPng(home() / "arrow.png", 6, 4);
    halfRedPng(home() / "arrow@2x.png", 6, 4);
    halfRedPng(home() / "opaque.png", 2, 2, CAIRO_FORMAT_RGB24);
    auto image = Image::imageWithContentsOfFile(home() / "arrow.png");
    auto doubled = Image::imageWithContentsOfFile(home() / "arrow@2x.png");
    auto opaque = Image::imageWithContentsOfFile(home() / "opaque.png");
    ASSERT_TRUE(image && doubled && opaque);
    EXPECT_EQ(image->size(), (Size{6, 4}));
    EXPECT_EQ(doubled->size(), (Size{3, 2}));
    EXPECT_EQ(image->bitmap()->argbAt(5, 3), 0xFFFF0000u);
    EXPECT_EQ(image->bitmap()->argbAt(0, 0), 0u);
    EXPECT_EQ(opaque->bitmap()->argbAt(0, 0), 0xFF000000u);

    auto whole = halfRedPng(home() / "whole.png", 32, 32);
    // Width and height in the IHDR chunk: 100000 x 100000, refused from the header.
    auto huge = whole;
    const char side[] = {0x00, 0x01, static_cast<char>(0x86), static_cast<char>(0xA0)};
    huge.replace(16, 4, side, 4).replace(20, 4, side, 4);
    for (std::string content : {std::string("not a picture"), whole.substr(0, whole.size() / 2), huge}) {
        writeFile(home() / "bad.png", content);
        EXPECT_FALSE(Image::imageWithContentsOfFile(home() / "bad.png")) << content.size();
    }
    EXPECT_FALSE(Image::imageWithContentsOfFile(home()));
}

TEST(BitmapDifference, BoundsEveryChangedPixelAndNoMore) {
    auto before = Bitmap::make(30, 20);
    auto after = Bitmap::make(30, 20);
    // Everything without an earlier frame of the same size.
    EXPECT_EQ(differingArea(Bitmap::make(30, 21).get(), *after), (PixelArea{0, 0, 30, 20}));
    EXPECT_EQ(differingArea(before.get(), *after), std::nullopt);
    paint(after->cairoSurface(), {29, 0, 1, 1});
    EXPECT_EQ(differingArea(before.get(), *after), (PixelArea{29, 0, 1, 1}));
    // Changes in separate rows, the later one further left and the earlier one further right.
    paint(before->cairoSurface(), {29, 0, 1, 1});
    paint(after->cairoSurface(), {10, 2, 4, 1}, 0.5);
    paint(after->cairoSurface(), {6, 9, 2, 3}, 0.5);
    EXPECT_EQ(differingArea(before.get(), *after), (PixelArea{6, 2, 8, 10}));
}
