#include "platform/appkit/views/view_controller.h"
#include "platform/appkit/windows/popover.h"
#include "platform/appkit/windows/window.h"
#include "platform/appkit/windows/window_drawing.h"
#include "platform/foundation/clock.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

constexpr quartz::Color red{1, 0, 0};
constexpr quartz::Color blue{0, 0, 1};

// Fills a rectangle of its own coordinates through the current context.
template <bool flipped> class FillingView : public View {
public:
    bool isFlipped() const override { return flipped; }
    void drawRect(quartz::Rect) override {
        auto* context = quartz::GraphicsContext::current();
        ASSERT_NE(context, nullptr);
        EXPECT_EQ(context->isFlipped(), flipped);
        context->fillRoundedRect(area, 0, color);
    }
    quartz::Rect area;
    quartz::Color color = red;
};

// A pixel in window points, y from the bottom, at the window's scale.
quartz::Color pixelAt(const quartz::Bitmap& bitmap, const Window& window, double x, double y) {
    double scale = window.backingScaleFactor();
    return bitmap.pixel(static_cast<int>(x * scale), static_cast<int>((window.frame().height() - y) * scale));
}

bool near(quartz::Color a, quartz::Color b) {
    auto close = [](double x, double y) { return std::abs(x - y) < 0.02; };
    return close(a.red(), b.red()) && close(a.green(), b.green()) && close(a.blue(), b.blue()) &&
           close(a.alpha(), b.alpha());
}

struct Scene {
    std::shared_ptr<Window> window = Window::make({0, 0, 100, 50});

    template <bool flipped> std::shared_ptr<FillingView<flipped>> add(quartz::Rect frame, quartz::Rect area) {
        auto view = View::make<FillingView<flipped>>(frame);
        view->area = area;
        window->contentView()->addSubview(view);
        return view;
    }
};

} // namespace

TEST(WindowDrawing, APlainViewDrawsFromItsBottomEdgeAndAFlippedOneFromItsTop) {
    Scene scene;
    scene.add<false>({10, 10, 20, 20}, {0, 0, 20, 5});
    scene.add<true>({50, 10, 20, 20}, {0, 0, 20, 5});
    auto bitmap = renderWindow(*scene.window, 0);
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(near(pixelAt(*bitmap, *scene.window, 20, 12), red));
    EXPECT_FALSE(near(pixelAt(*bitmap, *scene.window, 20, 27), red));
    EXPECT_TRUE(near(pixelAt(*bitmap, *scene.window, 60, 27), red));
    EXPECT_FALSE(near(pixelAt(*bitmap, *scene.window, 60, 12), red));
}

TEST(WindowDrawing, SubviewsOfAFlippedViewArePlacedFromItsTop) {
    Scene scene;
    auto parent = scene.add<true>({0, 0, 100, 50}, {});
    auto child = View::make<FillingView<false>>({10, 0, 10, 10});
    child->area = child->bounds();
    parent->addSubview(child);
    auto bitmap = renderWindow(*scene.window, 0);
    EXPECT_TRUE(near(pixelAt(*bitmap, *scene.window, 15, 45), red));
    EXPECT_FALSE(near(pixelAt(*bitmap, *scene.window, 15, 5), red));
}

TEST(WindowDrawing, AlphaValueFadesTheViewAndItsSubviews) {
    Scene scene;
    auto view = scene.add<false>({0, 0, 50, 50}, {0, 0, 50, 50});
    view->color = blue;
    auto child = View::make<FillingView<false>>({0, 0, 10, 10});
    child->area = child->bounds();
    view->addSubview(child);
    view->setAlphaValue(0.5);
    auto bitmap = renderWindow(*scene.window, 0);
    quartz::Color faded = pixelAt(*bitmap, *scene.window, 30, 30);
    EXPECT_NEAR(faded.blue(), 0.5 + 0.5 * 0.93, 0.02); // half over the window's background
    quartz::Color corner = pixelAt(*bitmap, *scene.window, 5, 5);
    EXPECT_NEAR(corner.red(), 0.5 + 0.5 * 0.93, 0.02);
    EXPECT_NEAR(corner.blue(), 0.5 * 0.93, 0.02);
}

TEST(WindowDrawing, RendersAtTheBackingScale) {
    Scene scene;
    scene.add<false>({10, 10, 20, 20}, {0, 0, 20, 20});
    scene.window->setBackingScaleFactor(2);
    auto bitmap = renderWindow(*scene.window, 0);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width(), 200);
    EXPECT_EQ(bitmap->height(), 100);
    EXPECT_TRUE(near(pixelAt(*bitmap, *scene.window, 10.25, 10.25), red));
    EXPECT_FALSE(near(pixelAt(*bitmap, *scene.window, 9.75, 10.25), red));
}

TEST(WindowDrawing, DrawingClearsTheNeedForDisplayAndAnimationsKeepFramesComing) {
    foundation::ScopedManualClock clock;
    Scene scene;
    auto view = scene.add<false>({0, 0, 10, 10}, {});
    view->setWantsLayer(true);
    EXPECT_TRUE(scene.window->viewsNeedDisplay());
    renderWindow(*scene.window, clock->now());
    EXPECT_FALSE(scene.window->viewsNeedDisplay());
    EXPECT_FALSE(windowIsAnimating(*scene.window, clock->now()));

    quartz::BasicAnimation fade;
    fade.setKeyPath("opacity");
    fade.setToValue(quartz::LayerValue(0.0));
    fade.setDuration(1);
    view->layer()->addAnimation(fade, "fade");
    EXPECT_TRUE(windowIsAnimating(*scene.window, clock->now() + 0.5));
    EXPECT_FALSE(windowIsAnimating(*scene.window, clock->now() + 1.5));
    renderWindow(*scene.window, clock->now() + 1.5);
    EXPECT_EQ(view->layer()->animationForKey("fade"), nullptr);
}

TEST(WindowDrawing, AViewShadowFallsUpForAPositiveHeightAndIsBlurredPastTheBounds) {
    Scene scene;
    auto view = scene.add<true>({30, 15, 40, 20}, {0, 0, 40, 20}); // flipped: the offset stays unflipped
    Shadow shadow;
    shadow.shadowColor = quartz::Color::blackColor();
    shadow.shadowOffset = {0, 4};
    view->setShadow(shadow);
    auto bitmap = renderWindow(*scene.window, 0);
    EXPECT_TRUE(near(pixelAt(*bitmap, *scene.window, 50, 37), quartz::Color::blackColor())); // above
    EXPECT_TRUE(near(pixelAt(*bitmap, *scene.window, 50, 13), quartz::Color::gray(0.93)));   // below
    EXPECT_TRUE(near(pixelAt(*bitmap, *scene.window, 50, 25), red));

    shadow.shadowOffset = {};
    shadow.shadowBlurRadius = 4;
    view->setShadow(shadow);
    bitmap = renderWindow(*scene.window, 0);
    for (quartz::Point outside : {quartz::Point{28, 25}, quartz::Point{72, 25}, quartz::Point{50, 13}})
        EXPECT_LT(pixelAt(*bitmap, *scene.window, outside.x, outside.y).red(), 0.9)
            << outside.x << "," << outside.y;
    EXPECT_TRUE(near(pixelAt(*bitmap, *scene.window, 50, 3), quartz::Color::gray(0.93)));
}
