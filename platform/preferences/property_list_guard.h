#pragma once

#include <string>
#include <string_view>

namespace foundation {

// libplist 2.2 recurses once per level of nesting when it reads a binary list and when it frees
// any list, checks binary cycles in time that grows with the square of the depth, and copies a
// shared binary object once for every reference to it. These checks run before it sees the bytes,
// so that neither a deeply nested nor a self-multiplying list can crash or stall the reader.
// They look only at structure and refuse, with a reason, what goes past the limits of
// property_list_limits.h; everything else is left to libplist to accept or refuse.

// For a binary list ("bplist00"): the trailer, offset table and references are well formed, no
// object contains itself, and the copied-out tree stays within the depth and value limits.
bool binaryPropertyListIsWithinLimits(std::string_view bytes, std::string* reason);

// For an XML list: the array and dict elements are nested no deeper than the depth limit. Counts
// generously (anything that could open a container does), never less than libplist would nest.
bool xmlPropertyListIsWithinLimits(std::string_view bytes, std::string* reason);

} // namespace foundation
