#pragma once

#include "platform/quartz/geometry.h"

#include <memory>

namespace appkit {

class TrackingArea;

// A mouse event. Locations are in the window's coordinates: origin at the bottom left, y up.
struct Event {
    enum class Type { leftMouseDown, leftMouseUp, leftMouseDragged, mouseMoved, mouseEntered, mouseExited };

    Type type;
    quartz::Point locationInWindow;
    double timestamp = 0;
    int clickCount = 1;
    // For entered and exited events: the area that sent them.
    std::shared_ptr<TrackingArea> trackingArea;
};

} // namespace appkit
