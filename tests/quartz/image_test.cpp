#include "platform/quartz/image.h"
#include "tests/support/temporary_home.h"

#include <cairo.h>
#include <gtest/gtest.h>

using quartz::Color;
using quartz::Image;
using quartz::Rect;
using quartz::Size;

namespace {

// Left half transparent, right half opaque red.
void writeHalfRedPng(const std::filesystem::path& path, int width, int height) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* context = cairo_create(surface);
    cairo_set_source_rgb(context, 1, 0, 0);
    cairo_rectangle(context, width / 2.0, 0, width / 2.0, height);
    cairo_fill(context);
    cairo_destroy(context);
    ASSERT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
}

} // namespace

class ImageFile : public TemporaryHome {
protected:
    std::filesystem::path pngNamed(const std::string& name, int width = 4, int height = 2) {
        auto path = home() / name;
        writeHalfRedPng(path, width, height);
        return path;
    }
};

TEST_F(ImageFile, SizeInPointsIsThePixelSize) {
    auto image = Image::imageWithContentsOfFile(pngNamed("arrow.png", 6, 4));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (Size{6, 4}));
}

TEST_F(ImageFile, DoubleDensityImageIsHalfItsPixelSize) {
    auto image = Image::imageWithContentsOfFile(pngNamed("arrow@2x.png", 6, 4));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (Size{3, 2}));
}

TEST_F(ImageFile, OpaquePngLoadsAsOpaquePixels) {
    auto path = home() / "opaque.png";
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2, 2);
    cairo_t* context = cairo_create(surface);
    cairo_set_source_rgb(context, 0, 0, 1);
    cairo_paint(context);
    cairo_destroy(context);
    ASSERT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
    auto image = Image::imageWithContentsOfFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bitmap()->argbAt(1, 1), 0xFF0000FFu);
}

TEST_F(ImageFile, CopiesShareThePixels) {
    auto path = pngNamed("half.png");
    auto image = Image::imageWithContentsOfFile(path);
    auto again = Image::imageWithContentsOfFile(path);
    ASSERT_TRUE(image && again);
    Image copy = *image;
    EXPECT_EQ(copy, *image);
    EXPECT_FALSE(*again == *image);
}

TEST_F(ImageFile, MissingFileGivesNone) {
    EXPECT_FALSE(Image::imageWithContentsOfFile(home() / "missing.png"));
    EXPECT_FALSE(Image::imageWithContentsOfFile(home()));
}

TEST_F(ImageFile, CorruptFileGivesNone) {
    auto text = home() / "text.png";
    writeFile(text, "not a picture at all, just some words");
    EXPECT_FALSE(Image::imageWithContentsOfFile(text));

    auto whole = readFile(pngNamed("whole.png", 32, 32));
    auto truncated = home() / "truncated.png";
    writeFile(truncated, whole.substr(0, whole.size() / 2));
    EXPECT_FALSE(Image::imageWithContentsOfFile(truncated));

    auto empty = home() / "empty.png";
    writeFile(empty, "");
    EXPECT_FALSE(Image::imageWithContentsOfFile(empty));
}

TEST_F(ImageFile, HugeImageIsRefusedFromItsHeader) {
    auto whole = readFile(pngNamed("small.png"));
    // Width and height in the IHDR chunk: 100000 x 100000.
    const char huge[] = {0x00, 0x01, static_cast<char>(0x86), static_cast<char>(0xA0)};
    whole.replace(16, 4, huge, 4);
    whole.replace(20, 4, huge, 4);
    auto path = home() / "huge.png";
    writeFile(path, whole);
    EXPECT_FALSE(Image::imageWithContentsOfFile(path));
}
