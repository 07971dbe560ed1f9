#pragma once

#include "tools/uisnap/snapshot_options.h"

#include <string>

namespace uisnap {

// Loads the interface file, shows its first window (or its first top-level view in a window of
// the view's size) off screen, plays the events and the time on a manual clock, and writes the PNG.
// False, with a message naming what is at fault, when any step fails.
bool writeInterfaceSnapshot(const SnapshotOptions& options, std::string* error);

} // namespace uisnap
