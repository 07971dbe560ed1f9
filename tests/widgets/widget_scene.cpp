#include "tests/widgets/widget_scene.h"

#include "platform/appkit/application/bundle.h"
#include "platform/appkit/windows/window_drawing.h"
#include "platform/foundation/run_loop.h"

void WidgetScene::SetUp() {
    TemporaryHome::SetUp();
    appkit::Bundle::mainBundle().setResourcePath(VANTREL_WIDGET_RESOURCE_DIR);
    window_ = appkit::Window::make({0, 0, 400, 300});
    window_->makeKeyWindow();
}

void WidgetScene::TearDown() {
    window_->mouseLeftWindow(); // cancels hover timers, which would keep their buttons
    advance(0);
    window_.reset();
    TemporaryHome::TearDown();
}

void WidgetScene::advance(double seconds) {
    clock_->advance(seconds);
    foundation::RunLoop::main().runOnce(0);
}

void WidgetScene::render(double later) {
    rendering_ = appkit::renderWindow(*window_, clock_->now() + later);
    ASSERT_NE(rendering_, nullptr);
}

quartz::Color WidgetScene::pixelAt(double x, double y) const {
    double scale = window_->backingScaleFactor();
    return rendering_->pixel(static_cast<int>(x * scale),
                             static_cast<int>((window_->frame().height() - y) * scale));
}
