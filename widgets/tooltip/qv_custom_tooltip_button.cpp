#include "widgets/tooltip/qv_custom_tooltip_button.h"

#include "platform/appkit/runtime/runtime.h"
#include "platform/foundation/console_log.h"
#include "widgets/tooltip/qv_custom_help_popover.h"

using namespace appkit;

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<QvCustomTooltipButton>("QvCustomTooltipButton", "Button")
        .property("customTooltip", &QvCustomTooltipButton::customTooltip,
                  &QvCustomTooltipButton::setCustomTooltip);
});

} // namespace

void QvCustomTooltipButton::updateTrackingAreas() {
    Button::updateTrackingAreas();
    if (trackingArea_)
        removeTrackingArea(trackingArea_);
    trackingArea_ = std::make_shared<TrackingArea>(bounds(), trackingOptions,
                                                   std::static_pointer_cast<Responder>(shared_from_this()));
    addTrackingArea(trackingArea_);
}

void QvCustomTooltipButton::showTooltipTimerFired(foundation::Timer&) {
    foundation::consoleLog("showTooltipTimerFired");
    showTooltip();
}

void QvCustomTooltipButton::mouseEntered(const Event& event) {
    Button::mouseEntered(event);
    if (timer_)
        timer_->invalidate();
    // The pending timer holds on to the button, as the frameworks' timers retain their target.
    auto self = std::static_pointer_cast<QvCustomTooltipButton>(shared_from_this());
    timer_ = foundation::Timer::scheduledTimer(hoverInterval, self,
                                               &QvCustomTooltipButton::showTooltipTimerFired, false);
}

void QvCustomTooltipButton::mouseExited(const Event& event) {
    Button::mouseExited(event);
    if (timer_)
        timer_->invalidate();
    timer_.reset();
    QvCustomHelpPopover::sharedManager()->closeIfShowingFor(this);
}
