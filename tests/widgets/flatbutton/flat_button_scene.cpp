#include "tests/widgets/flatbutton/flat_button_scene.h"

#include <cairo.h>

void FlatButtonScene::SetUp() {
    WidgetScene::SetUp();
    window()->contentView()->addSubview(button);
    button->setFont(appkit::Font::fontWithName("DejaVu Sans", 13));
    button->setTitle("Launch");
}

quartz::Image FlatButtonScene::halfOpaqueIcon(int size) {
    auto path = home() / ("icon" + std::to_string(size) + ".png");
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cairo = cairo_create(surface);
    cairo_rectangle(cairo, 0, 0, size / 2.0, size);
    cairo_fill(cairo);
    cairo_destroy(cairo);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    auto image = quartz::Image::imageWithContentsOfFile(path);
    EXPECT_TRUE(image);
    return *image;
}
