// The gradient views and the styled label seen from outside, through uisnap.
#include "tests/widgets/pixel_colors.h"
#include "tests/widgets/uisnap_command.h"

using quartz::Color;

namespace {

constexpr Color white = Color::whiteColor();
constexpr Color black = Color::blackColor();
constexpr Color windowGrey = Color::gray(0.93);

std::string windowWith(const std::string& subviews, const std::string& objects,
                       const std::string& extra = "") {
    return R"({"objects": [
      {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 340, 160], "title": "Decor"},
       "properties": {"contentView": {"ref": "content"}}},
      {"id": "content", "class": "View", "attributes": {"frame": [0, 0, 340, 160]}, "subviews": [)" +
           subviews + "]}, " + objects + "]" + extra + "}";
}

} // namespace

using DecorThroughUisnap = UisnapCommand;

TEST_F(DecorThroughUisnap, GradientsRunFromTheSecondColourToTheFirstKeepTheirSizeAndSwallowClicks) {
    auto result = runScript(
        windowWith(R"("vertical", "across", "rounded", "half", "button")", R"(
      {"id": "vertical", "class": "QvGradientView", "attributes": {"frame": [10, 10, 100, 60]},
       "properties": {"gradientColor1": "white", "gradientColor2": "black"}},
      {"id": "across", "class": "QvCenterGradientView", "attributes": {"frame": [120, 10, 100, 60]},
       "properties": {"gradientColor1": "white", "gradientColor2": "black", "isHorizontal": true}},
      {"id": "rounded", "class": "QvGradientView", "attributes": {"frame": [230, 10, 80, 60]},
       "properties": {"gradientColor1": "black", "gradientColor2": "black", "cornerRadius": 8}},
      {"id": "half", "class": "QvGradientView", "attributes": {"frame": [10, 80, 100, 60]},
       "properties": {"gradientColor1": "white", "cornerRadius": 8}},
      {"id": "button", "class": "FlatButton", "attributes": {"frame": [120, 100, 100, 40]}, "subviews": ["cover"]},
      {"id": "cover", "class": "QvGradientView", "attributes": {"frame": [0, 0, 50, 40]}},
      {"id": "recorder", "class": "ActionRecorder"})",
                   R"(, "actions": [{"object": "button", "action": "press:", "target": "recorder"}])"),
        // Clicks on the gradient over the button's left half, the first one as the window's
        // first click, never reach the button.
        "frame rounded 230 10 80 120; deactivate; move 140 120; down; up; activate; down; up; "
        "move 200 120; down; up");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(description::count(result.output, "action press:"), 1) << result.output;
    auto picture = this->picture("out.png");
    EXPECT_PRED2(looksLike, pixelAt(*picture, 60, 10.5), black); // bottom edge
    EXPECT_PRED2(looksLike, pixelAt(*picture, 60, 69.5), white);
    EXPECT_PRED2(looksLike, pixelAt(*picture, 120.5, 40), black); // both side edges, white between
    EXPECT_PRED2(looksLike, pixelAt(*picture, 219.5, 40), black);
    EXPECT_PRED2(looksLike, pixelAt(*picture, 170, 40), white);
    EXPECT_PRED2(looksLike, pixelAt(*picture, 230.5, 10.5), windowGrey); // a rounded corner
    EXPECT_PRED2(looksLike, pixelAt(*picture, 270, 40), black);
    EXPECT_PRED2(looksLike, pixelAt(*picture, 270, 120), windowGrey); // the view grew, its gradient did not
    EXPECT_PRED2(looksLike, pixelAt(*picture, 60, 110), windowGrey);  // one colour: nothing drawn
}

TEST_F(DecorThroughUisnap, ALabelKeepsItsLineHeightAndAlignmentAndIsRestyledOnlyWhenItsTextIsSet) {
    auto result = runScript(windowWith(R"("styled", "lines", "shadowed")", R"(
      {"id": "styled", "class": "ZtCustomLabel", "attributes": {"frame": [10, 110, 320, 40], "string": "Hi",
       "font": {"name": "DejaVu Sans", "size": 24}}, "properties": {"isCenter": true}},
      {"id": "lines", "class": "ZtCustomLabel", "attributes": {"frame": [10, 10, 28, 90], "wraps": true,
       "string": "\u25A0 \u25A0 \u25A0", "font": {"size": 16}}, "properties": {"enableLineHeight": true, "lineHeight": 24}},
      {"id": "shadowed", "class": "ZtCustomLabel", "attributes": {"frame": [100, 10, 100, 60], "string": "\u25A0",
       "font": {"size": 30}}, "properties": {"isShadow": true}})"),
                            "set styled isRight true; snap before.png; title styled Hi");
    ASSERT_EQ(result.status, 0) << result.errors;
    // Where ink starts along a line from (x, y), step by step.
    auto inkStarts = [&](const std::string& name, double x, double y, double dx, double dy) {
        auto picture = this->picture(name);
        std::vector<double> starts;
        for (bool ink = false, now; x > 0 && y > 0 && x < 340 && y < 160; x += dx, y += dy, ink = now) {
            now = pixelAt(*picture, x, y).red() < 0.5;
            if (now && !ink)
                starts.push_back(dx != 0 ? x : y);
        }
        return starts;
    };
    EXPECT_NEAR(inkStarts("before.png", 10, 130, 1, 0).at(0), 170, 50); // centred until the text is set
    EXPECT_GT(inkStarts("out.png", 10, 130, 1, 0).at(0), 250);
    auto squares = inkStarts("out.png", 18, 99.5, 0, -0.5);
    ASSERT_EQ(squares.size(), 3u);
    EXPECT_NEAR(squares[0] - squares[2], 48, 1);
    EXPECT_PRED2(looksLike, pixelAt(*picture("out.png"), 18, squares[0] + 1.5), windowGrey);
    double shadowed = inkStarts("out.png", 115, 99.5, 0, -0.5).at(0);
    EXPECT_LT(pixelAt(*picture("out.png"), 115, shadowed + 1.5).red(), 0.9); // the shadow above
}
