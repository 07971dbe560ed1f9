#include "tests/widgets/widget_scene.h"

#include "platform/appkit/bundle.h"
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
