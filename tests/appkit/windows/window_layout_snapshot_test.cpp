#include "platform/quartz/bitmap.h"
#include "platform/quartz/graphics_context.h"
#include "platform/quartz/image.h"
#include "tests/support/temporary_home.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

// Renders interface files with the snapshot tool, resources in the temporary home.
class WindowLayoutSnapshot : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        auto opaque = quartz::Bitmap::make(16, 16);
        quartz::BitmapDrawing(*opaque, 1).context().fill(quartz::Color::blackColor());
        ASSERT_TRUE(opaque->writePNG(home() / "icon.png"));
    }

    std::shared_ptr<const quartz::Bitmap> render(const std::string& name, const std::string& interface) {
        writeFile(home() / (name + ".json"), interface);
        auto file = [this](const std::string& leaf) { return "'" + (home() / leaf).string() + "'"; };
        std::string command = "'" UISNAP_PATH "' " + file(name + ".json") + " " + file(name + ".png") +
                              " --resources " + file("") + " 2>" + file("stderr");
        EXPECT_EQ(std::system(command.c_str()), 0) << readFile(home() / "stderr");
        auto image = quartz::Image::imageWithContentsOfFile((home() / (name + ".png")).string());
        return image ? image->bitmap() : quartz::Bitmap::make(1, 1);
    }
};

// A flat button below the content view: red title and an icon on a blue face, no border.
std::string offsetFlatButton(double titleX, double titleY, double imageX) {
    return R"({"objects": [
  {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 160, 80]}, "subviews": ["flat"]},
  {"id": "flat", "class": "FlatButton",
   "attributes": {"frame": [20, 20, 120, 40], "title": "Go", "image": "icon.png", "imagePosition": 2,
                  "font": {"name": "DejaVu Sans", "size": 14}},
   "properties": {"buttonColor": [0, 0, 1], "textColor": [1, 0, 0], "borderWidth": 0, "iconColor": [0, 1, 0],
                  "TitleHorizontalOffset": )" +
           std::to_string(titleX) + R"(, "TitleVerticalOffset": )" + std::to_string(titleY) +
           R"(, "ImageHorizontalOffset": )" + std::to_string(imageX) + "}}\n]}";
}

struct Box {
    int left = 1 << 20, top = 1 << 20;
    bool operator==(const Box&) const = default;
};

bool isTitle(quartz::Color pixel) {
    return pixel.red() > 0.7 && pixel.blue() < 0.3;
}

// The icon, grey or green, on the blue face.
bool isIcon(quartz::Color pixel) {
    return pixel.green() > 0.3 && pixel.blue() < 0.7;
}

// The top-left corner of the pixels that pass, y from the top.
Box cornerOf(const quartz::Bitmap& bitmap, bool (*passes)(quartz::Color)) {
    Box box;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (passes(bitmap.pixel(x, y))) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
            }
    return box;
}

} // namespace

// The interface file sets the offsets after the button has placed its title and icon: only the
// window's layout pass before the first frame applies them.
TEST_F(WindowLayoutSnapshot, LaysOutAViewBelowTheContentViewBeforeTheFirstFrame) {
    auto plain = render("plain", offsetFlatButton(0, 0, 0));
    auto moved = render("moved", offsetFlatButton(-4, 3, 5));
    Box title = cornerOf(*plain, isTitle);
    Box icon = cornerOf(*plain, isIcon);
    ASSERT_LT(title.left, 160);
    ASSERT_LT(icon.left, 160);
    EXPECT_EQ(cornerOf(*moved, isTitle), (Box{title.left - 4, title.top + 3}));
    EXPECT_EQ(cornerOf(*moved, isIcon), (Box{icon.left + 5, icon.top}));
}
