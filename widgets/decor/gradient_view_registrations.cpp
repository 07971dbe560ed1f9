#include "platform/appkit/runtime/runtime.h"
#include "widgets/decor/qv_center_gradient_view.h"
#include "widgets/decor/qv_gradient_view.h"

namespace {

const appkit::ClassRegistration registration([](appkit::Runtime& runtime) {
    runtime.registerClass<QvGradientView>("QvGradientView", "GradientView");
    runtime.registerClass<QvCenterGradientView>("QvCenterGradientView", "GradientView");
});

} // namespace
