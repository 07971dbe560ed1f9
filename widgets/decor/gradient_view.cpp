#include "widgets/decor/gradient_view.h"

#include "platform/appkit/runtime/runtime.h"

using namespace appkit;

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<GradientView>("GradientView", "View")
        .property("gradientColor1", &GradientView::gradientColor1, &GradientView::setGradientColor1)
        .property("gradientColor2", &GradientView::gradientColor2, &GradientView::setGradientColor2)
        .property("cornerRadius", &GradientView::cornerRadius, &GradientView::setCornerRadius)
        .property("isHorizontal", &GradientView::isHorizontal, &GradientView::setIsHorizontal);
});

} // namespace

bool GradientView::initWithCoder(const Coder& coder) {
    if (!View::initWithCoder(coder))
        return false;
    setWantsLayer(true);
    return true;
}

void GradientView::awakeFromNib() {
    View::awakeFromNib();
    setWantsLayer(true);
    if (gradientColor1_ && gradientColor2_)
        layer()->addSublayer(gradientLayer());
    if (cornerRadius_ > 0)
        layer()->setCornerRadius(cornerRadius_);
}

std::shared_ptr<quartz::GradientLayer> GradientView::gradientLayer() const {
    auto gradient = quartz::GradientLayer::layer();
    gradient->setFrame(bounds());
    if (gradientColor1_ && gradientColor2_)
        gradient->setColors(gradientColors());
    std::vector<double> locations;
    for (double location : gradientLocations())
        locations.push_back(static_cast<float>(location)); // stored as single precision
    gradient->setLocations(std::move(locations));
    if (isHorizontal_) {
        gradient->setStartPoint({0.0, 0.5});
        gradient->setEndPoint({1.0, 0.5});
    } else {
        gradient->setStartPoint({0.5, 0.0});
        gradient->setEndPoint({0.5, 1.0});
    }
    if (cornerRadius_ > 0)
        gradient->setCornerRadius(cornerRadius_);
    return gradient;
}
