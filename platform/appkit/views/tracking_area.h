#pragma once

#include "platform/quartz/geometry.h"

#include <cstdint>
#include <memory>

namespace appkit {

class Responder;

enum TrackingAreaOptions : std::uint32_t {
    NSTrackingMouseEnteredAndExited = 0x01,
    NSTrackingActiveAlways = 0x80,
    NSTrackingInVisibleRect = 0x200,
};
static_assert(NSTrackingMouseEnteredAndExited == 1 && NSTrackingActiveAlways == 128 &&
              NSTrackingInVisibleRect == 512);

// A rectangle of a view that reports the pointer crossing it to its owner. The owner is not
// owned: the area holds it weakly, as the frameworks hold it without retaining.
class TrackingArea {
public:
    TrackingArea(quartz::Rect rect, std::uint32_t options, std::weak_ptr<Responder> owner)
        : rect_(rect), options_(options), owner_(std::move(owner)) {}

    quartz::Rect rect() const { return rect_; }
    std::uint32_t options() const { return options_; }
    std::shared_ptr<Responder> owner() const { return owner_.lock(); }

    // Whether the pointer was inside at the last check; kept by the window.
    bool pointerInside() const { return pointerInside_; }
    void setPointerInside(bool inside) { pointerInside_ = inside; }

private:
    quartz::Rect rect_;
    std::uint32_t options_;
    std::weak_ptr<Responder> owner_;
    bool pointerInside_ = false;
};

} // namespace appkit
