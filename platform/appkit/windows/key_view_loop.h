#pragma once

#include "platform/appkit/views/view.h"

#include <memory>
#include <vector>

namespace appkit {

// The views of a tree that accept the keyboard focus, in reading order: by their top edge in the
// window from the top down, then from left to right, as the frameworks order a loop they work out.
std::vector<std::shared_ptr<View>> keyViewLoop(View& root);

// The view after current in the loop (before it when going backwards), wrapping around; the first
// (or last) when current is not in the loop; none for an empty loop.
std::shared_ptr<View> keyViewAfter(const std::vector<std::shared_ptr<View>>& loop, const View* current,
                                   bool forward);

} // namespace appkit
