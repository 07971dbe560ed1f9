// The gradient views and the styled label seen from outside, through uisnap.
#include "tests/widgets/pixel_colors.h"
#include "tests/widgets/uisnap_command.h"

#include <gtest/gtest.h>

using namespace description;
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

const std::string gradients = windowWith(R"("vertical", "across", "rounded", "half")", R"(
  {"id": "vertical", "class": "QvGradientView", "attributes": {"frame": [10, 10, 100, 60]},
   "properties": {"gradientColor1": "white", "gradientColor2": "black"}},
  {"id": "across", "class": "QvCenterGradientView", "attributes": {"frame": [120, 10, 100, 60]},
   "properties": {"gradientColor1": "white", "gradientColor2": "black", "isHorizontal": true}},
  {"id": "rounded", "class": "QvGradientView", "attributes": {"frame": [230, 10, 80, 60]},
   "properties": {"gradientColor1": "black", "gradientColor2": "black", "cornerRadius": 8}},
  {"id": "half", "class": "QvGradientView", "attributes": {"frame": [10, 80, 100, 60]},
   "properties": {"gradientColor1": "white", "cornerRadius": 8}})");

} // namespace

using DecorThroughUisnap = UisnapCommand;

TEST_F(DecorThroughUisnap, GradientsRunFromTheSecondColourToTheFirstAndKeepTheSizeTheyWokeWith) {
    auto result = runScript(gradients, "frame rounded 230 10 80 120", "--describe-layers");
    ASSERT_EQ(result.status, 0) << result.errors;
    auto vertical = lineWith(section(result.output, "QvGradientView vertical"), "GradientLayer");
    EXPECT_NE(
        vertical.find("colors=[rgba(0, 0, 0, 1), rgba(1, 1, 1, 1)] locations=[0, 1] startPoint=(0.5, 0) "
                      "endPoint=(0.5, 1)"),
        std::string::npos)
        << vertical;
    auto across = lineWith(section(result.output, "QvCenterGradientView across"), "GradientLayer");
    EXPECT_NE(
        across.find("colors=[rgba(0, 0, 0, 1), rgba(1, 1, 1, 1), rgba(0, 0, 0, 1)] locations=[0, 0.5, 1] "
                    "startPoint=(0, 0.5) endPoint=(1, 0.5)"),
        std::string::npos)
        << across;
    auto rounded = section(result.output, "QvGradientView rounded");
    EXPECT_EQ(field(lineWith(rounded, " Layer "), "cornerRadius"), "8");
    EXPECT_EQ(field(lineWith(rounded, "GradientLayer"), "cornerRadius"), "8");
    EXPECT_EQ(field(lineWith(rounded, "GradientLayer"), "frame"), "(0, 0, 80, 60)");
    EXPECT_EQ(count(section(result.output, "QvGradientView half"), "GradientLayer"), 0);

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

TEST_F(DecorThroughUisnap, AGradientSwallowsClicksAlsoAsTheFirstClickInAnInactiveWindow) {
    // A gradient over the left half of a flat button: clicks on it never reach the button.
    auto result = runScript(
        windowWith(R"("button")", R"(
          {"id": "button", "class": "FlatButton", "attributes": {"frame": [20, 20, 200, 40]},
           "subviews": ["gradient"]},
          {"id": "gradient", "class": "QvGradientView", "attributes": {"frame": [0, 0, 100, 40]},
           "properties": {"gradientColor1": "white", "gradientColor2": "black"}},
          {"id": "recorder", "class": "ActionRecorder"})",
                   R"(, "actions": [{"object": "button", "action": "press:", "target": "recorder"}])"),
        "deactivate; move 60 40; down; up; activate; down; up; move 180 40; down; up");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(count(result.output, "action press:"), 1) << result.output;
}

TEST_F(DecorThroughUisnap, ALabelIsRestyledOnlyWhenItsTextIsSetAgain) {
    auto result = runScript(windowWith(R"("label")", R"(
          {"id": "label", "class": "ZtCustomLabel",
           "attributes": {"frame": [10, 60, 320, 40], "string": "Hi", "font": {"name": "DejaVu Sans", "size": 24}}})"),
                            "set label isRight true; snap before.png; title label Hi");
    ASSERT_EQ(result.status, 0) << result.errors;
    auto leftmostInk = [&](const std::string& name) {
        auto picture = this->picture(name);
        for (double x = 10; x < 330; x += 1)
            for (double y = 62; y < 98; y += 1)
                if (pixelAt(*picture, x, y).red() < 0.5)
                    return x;
        return 0.0;
    };
    EXPECT_LT(leftmostInk("before.png"), 40);
    EXPECT_GT(leftmostInk("out.png"), 250);
}
