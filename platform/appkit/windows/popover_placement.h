#pragma once

#include "platform/quartz/geometry.h"

#include <cstdint>
#include <optional>

namespace appkit {

// The sides of a rectangle, in the coordinates of the view the rectangle belongs to: the minimum
// y edge is the bottom of a plain view and the top of a flipped one.
enum NSRectEdge : std::uint32_t { NSMinXEdge = 0, NSMinYEdge = 1, NSMaxXEdge = 2, NSMaxYEdge = 3 };
static_assert(NSMinXEdge == 0 && NSMinYEdge == 1 && NSMaxXEdge == 2 && NSMaxYEdge == 3);

// Where a popover of a size goes beside a rectangle, all in one unflipped space (y grows up): on
// the preferred edge, else the opposite one, else the other two, on the first where it fits in
// room, slid along that edge to stay in room; on the preferred edge when it fits nowhere. It never
// covers the rectangle. Without room (no screen to keep to) it takes the preferred edge.
quartz::Rect placePopover(quartz::Rect beside, quartz::Size size, NSRectEdge preferredEdge,
                          std::optional<quartz::Rect> room);

// The edge as it lies on an unflipped screen, for a rectangle of a view that is flipped or not.
NSRectEdge unflippedEdge(NSRectEdge edge, bool viewFlipped);

// Room between the positioning rectangle and the popover, where its arrow points.
inline constexpr double popoverArrowGap = 8;

} // namespace appkit
