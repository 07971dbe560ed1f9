#include "platform/appkit/interface_loader.h"
#include "platform/appkit/window.h"
#include "widgets/decor/qv_center_gradient_view.h"
#include "widgets/decor/qv_gradient_view.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

constexpr quartz::Color white = quartz::Color::whiteColor();
constexpr quartz::Color black = quartz::Color::blackColor();

std::shared_ptr<GradientView> load(const std::string& className, const std::string& properties) {
    std::string text = R"({"objects": [{"id": "view", "class": ")" + className +
                       R"(", "attributes": {"frame": [0, 0, 100, 60]}, "properties": )" + properties + "}]}";
    std::string error;
    auto loaded = loadInterfaceData(text, "gradient.json", {}, nullptr, &error);
    EXPECT_TRUE(loaded) << error;
    return loaded ? std::dynamic_pointer_cast<GradientView>(loaded->objectWithId("view")) : nullptr;
}

std::shared_ptr<quartz::GradientLayer> onlyGradientOf(const GradientView& view) {
    EXPECT_EQ(view.layer()->sublayers().size(), 1u);
    return view.layer()->sublayers().empty()
               ? nullptr
               : std::dynamic_pointer_cast<quartz::GradientLayer>(view.layer()->sublayers().front());
}

class RecordingView : public View {
public:
    void mouseDown(const Event&) override { ++presses; }
    void mouseUp(const Event&) override { ++releases; }
    int presses = 0;
    int releases = 0;
};

} // namespace

TEST(GradientViews, RunFromTheSecondColourToTheFirst) {
    auto view = load("QvGradientView", R"({"gradientColor1": "white", "gradientColor2": "black"})");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->wantsLayer());
    auto gradient = onlyGradientOf(*view);
    ASSERT_NE(gradient, nullptr);
    EXPECT_EQ(gradient->frame(), quartz::Rect(0, 0, 100, 60));
    EXPECT_EQ(gradient->colors(), (std::vector<quartz::Color>{black, white}));
    EXPECT_EQ(gradient->locations(), (std::vector<double>{0.0, 1.0}));
    EXPECT_EQ(gradient->startPoint(), (quartz::Point{0.5, 0.0}));
    EXPECT_EQ(gradient->endPoint(), (quartz::Point{0.5, 1.0}));
    EXPECT_EQ(gradient->cornerRadius(), 0);
}

TEST(GradientViews, TheCentredOneHasTheSecondColourAtBothEdgesAndRunsSidewaysWhenHorizontal) {
    auto view = load("QvCenterGradientView",
                     R"({"gradientColor1": "white", "gradientColor2": "black", "isHorizontal": true})");
    auto gradient = onlyGradientOf(*view);
    ASSERT_NE(gradient, nullptr);
    EXPECT_EQ(gradient->colors(), (std::vector<quartz::Color>{black, white, black}));
    EXPECT_EQ(gradient->locations(), (std::vector<double>{0.0, 0.5, 1.0}));
    EXPECT_EQ(gradient->startPoint(), (quartz::Point{0.0, 0.5}));
    EXPECT_EQ(gradient->endPoint(), (quartz::Point{1.0, 0.5}));
}

TEST(GradientViews, OneColourMissingAddsNothing) {
    auto view = load("QvGradientView", R"({"gradientColor1": "white", "cornerRadius": 8})");
    EXPECT_TRUE(view->layer()->sublayers().empty());
    EXPECT_EQ(view->layer()->cornerRadius(), 8);
}

TEST(GradientViews, RoundTheViewAndTheGradientOnlyForAPositiveRadius) {
    auto rounded = load("QvGradientView",
                        R"({"gradientColor1": "white", "gradientColor2": "black", "cornerRadius": 8})");
    EXPECT_EQ(rounded->layer()->cornerRadius(), 8);
    EXPECT_EQ(onlyGradientOf(*rounded)->cornerRadius(), 8);
    auto square = load("QvGradientView",
                       R"({"gradientColor1": "white", "gradientColor2": "black", "cornerRadius": -3})");
    EXPECT_EQ(square->layer()->cornerRadius(), 0);
    EXPECT_EQ(onlyGradientOf(*square)->cornerRadius(), 0);
}

TEST(GradientViews, KeepTheGradientOfWakingAndAddAnotherOnASecondWaking) {
    auto view = load("QvGradientView", R"({"gradientColor1": "white", "gradientColor2": "black"})");
    view->setFrame({0, 0, 300, 200});
    view->setGradientColor1(quartz::Color(1, 0, 0));
    EXPECT_EQ(onlyGradientOf(*view)->frame(), quartz::Rect(0, 0, 100, 60));
    view->awakeFromNib();
    ASSERT_EQ(view->layer()->sublayers().size(), 2u);
    EXPECT_EQ(view->layer()->sublayers()[1]->frame(), quartz::Rect(0, 0, 300, 200));
}

TEST(GradientViews, SwallowClicksEvenInAnInactiveWindow) {
    auto window = Window::make({0, 0, 200, 100});
    auto behind = View::make<RecordingView>({0, 0, 200, 100});
    window->setContentView(behind);
    auto view = load("QvGradientView", R"({})");
    behind->addSubview(view);
    window->resignKeyWindow();
    window->mouseDownAt({10, 10});
    window->mouseUpAt({10, 10});
    EXPECT_EQ(behind->presses, 0);
    EXPECT_EQ(behind->releases, 0);
    EXPECT_TRUE(view->acceptsFirstMouse(nullptr));
}
