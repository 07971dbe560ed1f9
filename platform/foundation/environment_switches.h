#pragma once

#include <optional>
#include <string>

namespace foundation {

// The VANTREL_* environment switches, each read here and nowhere else. A switch is on when it is
// set and not empty; an empty one counts as unset, as when a shell clears it with NAME=.
namespace environment_switches {

// VANTREL_OFFSCREEN: windows are drawn off screen, without trying a display.
bool offscreen();
// VANTREL_REPORT_FRAMES: the screen back end reports its frames on standard error, for benchmarks.
bool reportFrames();
// VANTREL_SNAPSHOT: where the first window is written as a PNG once launching is done, off screen.
std::optional<std::string> snapshotPath();
// VANTREL_RESOURCES: the folder of the program's resources, for tests and a build tree.
std::optional<std::string> resourceFolder();
// VANTREL_BACKING_SCALE: the text of a backing scale to force, checked by whoever takes it.
std::optional<std::string> backingScale();

} // namespace environment_switches

} // namespace foundation
