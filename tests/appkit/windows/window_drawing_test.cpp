#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_drawing.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

constexpr quartz::Color red{1, 0, 0};

// Fills a rectangle of its own coordinates, red, through the current context.
template <bool flipped> class FillingView : public View {
public:
    bool isFlipped() const override { return flipped; }
    void drawRect(quartz::Rect) override {
        auto* context = quartz::GraphicsContext::current();
        ASSERT_NE(context, nullptr);
        context->fillRoundedRect(area, 0, red);
    }
    quartz::Rect area;
};

struct Scene {
    std::shared_ptr<Window> window = Window::make({0, 0, 100, 50});

    template <bool flipped>
    std::shared_ptr<FillingView<flipped>> add(View& parent, quartz::Rect frame, quartz::Rect area) {
        auto view = View::make<FillingView<flipped>>(frame);
        view->area = area;
        parent.addSubview(view);
        return view;
    }
    // The red of a pixel in window points, y from the bottom.
    double redAt(double x, double y) {
        auto bitmap = renderWindow(*window, 0);
        auto pixel = bitmap->pixel(static_cast<int>(x), static_cast<int>(50 - y));
        return pixel.red() - pixel.blue();
    }
};

} // namespace

TEST(WindowDrawing, PlainViewsDrawFromTheirBottomEdgeFlippedOnesFromTheirTopAndAlphaFadesSubviewsToo) {
    Scene scene;
    auto& content = *scene.window->contentView();
    scene.add<false>(content, {10, 10, 20, 20}, {0, 0, 20, 5});
    scene.add<true>(content, {50, 10, 20, 20}, {0, 0, 20, 5});
    auto parent = scene.add<true>(content, {75, 0, 25, 50}, {});
    scene.add<false>(*parent, {10, 0, 10, 10}, {0, 0, 10, 10});
    auto faded = scene.add<false>(content, {0, 35, 10, 15}, {});
    scene.add<false>(*faded, {0, 0, 10, 10}, {0, 0, 10, 10});
    faded->setAlphaValue(0.5);
    EXPECT_NEAR(scene.redAt(5, 40), 0.5, 0.02); // half over the window's grey background
    EXPECT_GT(scene.redAt(20, 12), 0.9);
    EXPECT_LT(scene.redAt(20, 27), 0.1);
    EXPECT_GT(scene.redAt(60, 27), 0.9);
    EXPECT_LT(scene.redAt(60, 12), 0.1);
    EXPECT_GT(scene.redAt(90, 45), 0.9);
    EXPECT_LT(scene.redAt(90, 5), 0.1);
}
