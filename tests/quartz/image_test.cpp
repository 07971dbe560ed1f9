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

TEST_F(ImageFile, SizeInPointsIsThePixelSizeOrHalfItAtDoubleDensity) {
    auto image = Image::imageWithContentsOfFile(pngNamed("arrow.png", 6, 4));
    auto doubled = Image::imageWithContentsOfFile(pngNamed("arrow@2x.png", 6, 4));
    ASSERT_TRUE(image && doubled);
    EXPECT_EQ(image->size(), (Size{6, 4}));
    EXPECT_EQ(doubled->size(), (Size{3, 2}));
    EXPECT_EQ(image->bitmap()->argbAt(5, 3), 0xFFFF0000u);
    EXPECT_EQ(image->bitmap()->argbAt(0, 0), 0u);
    // Copies share the pixels; two loads of one file do not.
    auto again = Image::imageWithContentsOfFile(home() / "arrow.png");
    Image copy = *image;
    EXPECT_EQ(copy, *image);
    EXPECT_FALSE(*again == *image);

    // A picture without alpha loads opaque.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2, 2);
    ASSERT_EQ(cairo_surface_write_to_png(surface, (home() / "opaque.png").c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
    auto opaque = Image::imageWithContentsOfFile(home() / "opaque.png");
    ASSERT_TRUE(opaque);
    EXPECT_EQ(opaque->bitmap()->argbAt(1, 1), 0xFF000000u);
}

TEST_F(ImageFile, AFileThatIsNoUsablePictureGivesNone) {
    auto whole = readFile(pngNamed("whole.png", 32, 32));
    auto huge = readFile(pngNamed("small.png"));
    // Width and height in the IHDR chunk: 100000 x 100000, refused from the header.
    const char side[] = {0x00, 0x01, static_cast<char>(0x86), static_cast<char>(0xA0)};
    huge.replace(16, 4, side, 4);
    huge.replace(20, 4, side, 4);
    for (std::string content : {std::string("not a picture at all, just some words"),
                                whole.substr(0, whole.size() / 2), std::string(), huge}) {
        writeFile(home() / "bad.png", content);
        EXPECT_FALSE(Image::imageWithContentsOfFile(home() / "bad.png")) << content.size();
    }
    EXPECT_FALSE(Image::imageWithContentsOfFile(home() / "missing.png"));
    EXPECT_FALSE(Image::imageWithContentsOfFile(home()));
}
