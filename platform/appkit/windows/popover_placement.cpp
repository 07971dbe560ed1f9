#include "platform/appkit/windows/popover_placement.h"

#include <algorithm>
#include <array>

namespace appkit {

namespace {

NSRectEdge opposite(NSRectEdge edge) {
    return static_cast<NSRectEdge>((edge + 2) % 4);
}

// The preferred edge, its opposite, then the two across.
std::array<NSRectEdge, 4> edgesToTry(NSRectEdge preferred) {
    auto across = static_cast<NSRectEdge>((preferred + 1) % 4);
    return {preferred, opposite(preferred), across, opposite(across)};
}

quartz::Rect besideEdge(quartz::Rect rect, quartz::Size size, NSRectEdge edge) {
    double centreX = rect.minX() + (rect.width() - size.width) / 2;
    double centreY = rect.minY() + (rect.height() - size.height) / 2;
    switch (edge) {
    case NSMinXEdge:
        return {{rect.minX() - popoverArrowGap - size.width, centreY}, size};
    case NSMaxXEdge:
        return {{rect.maxX() + popoverArrowGap, centreY}, size};
    case NSMaxYEdge:
        return {{centreX, rect.maxY() + popoverArrowGap}, size};
    case NSMinYEdge:
        break;
    }
    return {{centreX, rect.minY() - popoverArrowGap - size.height}, size};
}

bool isVertical(NSRectEdge edge) {
    return edge == NSMinYEdge || edge == NSMaxYEdge;
}

// Moving along the edge keeps the popover off the rectangle, whatever the distance.
quartz::Rect slidAlongEdge(quartz::Rect frame, NSRectEdge edge, quartz::Rect room) {
    auto clamp = [](double origin, double length, double low, double high) {
        return std::max(low, std::min(origin, high - length));
    };
    if (isVertical(edge))
        frame.origin.x = clamp(frame.origin.x, frame.width(), room.minX(), room.maxX());
    else
        frame.origin.y = clamp(frame.origin.y, frame.height(), room.minY(), room.maxY());
    return frame;
}

bool fitsAcross(quartz::Rect frame, NSRectEdge edge, quartz::Rect room) {
    if (isVertical(edge))
        return frame.minY() >= room.minY() && frame.maxY() <= room.maxY();
    return frame.minX() >= room.minX() && frame.maxX() <= room.maxX();
}

} // namespace

NSRectEdge unflippedEdge(NSRectEdge edge, bool viewFlipped) {
    return viewFlipped && isVertical(edge) ? opposite(edge) : edge;
}

quartz::Rect placePopover(quartz::Rect beside, quartz::Size size, NSRectEdge preferredEdge,
                          std::optional<quartz::Rect> room) {
    if (!room)
        return besideEdge(beside, size, preferredEdge);
    for (NSRectEdge edge : edgesToTry(preferredEdge)) {
        quartz::Rect frame = besideEdge(beside, size, edge);
        if (fitsAcross(frame, edge, *room))
            return slidAlongEdge(frame, edge, *room);
    }
    return slidAlongEdge(besideEdge(beside, size, preferredEdge), preferredEdge, *room);
}

} // namespace appkit
