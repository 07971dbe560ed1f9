#pragma once

#include "platform/appkit/views/button.h"
#include "platform/appkit/views/tracking_area.h"
#include "platform/foundation/timer.h"

#include <memory>
#include <string>

// A button with a help text of its own. Hovering for two seconds calls showTooltip; leaving
// cancels the wait and closes the shared help popover if it shows for this button.
class QvCustomTooltipButton : public appkit::Button {
public:
    static constexpr double hoverInterval = 2.0;
    static constexpr std::uint32_t trackingOptions =
        appkit::NSTrackingMouseEnteredAndExited | appkit::NSTrackingActiveAlways;
    static_assert(trackingOptions == 129);

    // Replaces the area this class installed last with one over the current bounds.
    void updateTrackingAreas() override;
    void showTooltipTimerFired(foundation::Timer& timer);
    void mouseEntered(const appkit::Event& event) override;
    void mouseExited(const appkit::Event& event) override;

    const std::shared_ptr<foundation::Timer>& timer() const { return timer_; }
    void setTimer(std::shared_ptr<foundation::Timer> timer) { timer_ = std::move(timer); }
    const std::shared_ptr<appkit::TrackingArea>& trackingArea() const { return trackingArea_; }
    void setTrackingArea(std::shared_ptr<appkit::TrackingArea> area) { trackingArea_ = std::move(area); }
    const std::string& customTooltip() const { return customTooltip_; }
    void setCustomTooltip(std::string tooltip) { customTooltip_ = std::move(tooltip); }
    // Screen readers name a button without a title by its tooltip.
    std::string accessibilityHelp() const override { return customTooltip_; }

protected:
    // Where a subclass puts the tooltip on screen; nothing here.
    virtual void showTooltip() {}

private:
    std::shared_ptr<foundation::Timer> timer_;
    std::shared_ptr<appkit::TrackingArea> trackingArea_;
    std::string customTooltip_;
};
