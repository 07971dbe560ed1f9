#pragma once

#include "tools/uisnap/snapshot_options.h"

#include <string>

namespace uisnap {

// Loads the interface file, shows its first window (or its first top-level view in a window of
// the view's size) off screen, plays the script and the time on a manual clock, writes the PNG
// (or the strip of them) and, when asked, prints the window's description on standard output.
// False, with a message naming what is at fault, when any step fails; a script that names what the
// file lacks fails before anything is written.
bool writeInterfaceSnapshot(const SnapshotOptions& options, std::string* error);

} // namespace uisnap
