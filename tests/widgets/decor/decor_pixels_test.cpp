#include "platform/appkit/interface/interface_loader.h"
#include "platform/quartz/text_layout.h"
#include "tests/widgets/pixel_colors.h"
#include "tests/widgets/widget_scene.h"
#include "widgets/decor/zt_custom_label.h"

#include <gtest/gtest.h>

using namespace appkit;
using quartz::Color;

namespace {

constexpr Color black = Color::blackColor();

// A 100 x 60 view of the class at (50, 40) in the window, loaded as an interface file does it.
class DecorPixels : public WidgetScene {
protected:
    std::shared_ptr<View> load(const std::string& className, const std::string& properties,
                               const std::string& attributes = R"({"frame": [50, 40, 100, 60]})") {
        std::string text = R"({"objects": [{"id": "view", "class": ")" + className + R"(", "attributes": )" +
                           attributes + R"(, "properties": )" + properties + "}]}";
        std::string error;
        auto loaded = loadInterfaceData(text, "decor.json", {}, nullptr, &error);
        EXPECT_TRUE(loaded) << error;
        auto view = std::dynamic_pointer_cast<View>(loaded->objectWithId("view"));
        window()->contentView()->addSubview(view);
        return view;
    }
};

} // namespace

TEST_F(DecorPixels, ALabelWithAFixedLineHeightSetsEveryLineThatFarApart) {
    for (double size : {9.0, 13.0, 24.0}) {
        auto label = std::dynamic_pointer_cast<ZtCustomLabel>(
            load("ZtCustomLabel", R"({"enableLineHeight": true, "lineHeight": 20})",
                 R"({"frame": [20, 20, 150, 200], "wraps": true, "font": {"size": )" + std::to_string(size) +
                     "}}"));
        label->setStringValue(
            "A label long enough to wrap onto three or more lines at this width, whatever its size");
        const AttributedString& styled = label->attributedStringValue();
        auto style = textStyleOf(styled, *styled.font, true);
        auto tops = quartz::lineTops(styled.string, style, 150 - 2 * TextField::horizontalInset);
        ASSERT_GE(tops.size(), 3u) << size;
        for (std::size_t line = 1; line < tops.size(); ++line)
            EXPECT_NEAR(tops[line] - tops[line - 1], 20, 1e-6) << size;
        label->removeFromSuperview();
    }
}

TEST_F(DecorPixels, ALabelsShadowDarkensTheSpaceJustAboveItsText) {
    std::string attributes = R"("font": {"size": 30}})";
    auto plain = std::dynamic_pointer_cast<ZtCustomLabel>(
        load("ZtCustomLabel", "{}", R"({"frame": [20, 100, 150, 60], )" + attributes));
    auto shadowed = std::dynamic_pointer_cast<ZtCustomLabel>(
        load("ZtCustomLabel", R"({"isShadow": true})", R"({"frame": [220, 100, 150, 60], )" + attributes));
    plain->setStringValue("\u25A0");
    shadowed->setStringValue("\u25A0");
    render();
    // The square's top edge in the plain label, then the same place in both, a point above it.
    double top = 0;
    for (double y = 159.5; y > 100 && top == 0; y -= 0.5)
        if (pixelAt(40, y).red() < 0.5)
            top = y;
    ASSERT_GT(top, 0);
    EXPECT_PRED2(looksLike, pixelAt(40, top + 1.5), Color::gray(0.93));
    EXPECT_LT(pixelAt(240, top + 1.5).red(), 0.9);
    EXPECT_PRED2(looksLike, pixelAt(240, top - 2), black);
}
