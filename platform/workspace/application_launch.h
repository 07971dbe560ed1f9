#pragma once

#include "platform/foundation/url.h"

#include <string>
#include <vector>

namespace foundation {

// The workspace's launchApplication, apart from Workspace: a bundle names its executable in a
// property list, and the messaging host, which uses Workspace, must not load libplist.
// Starts the application at a file URL: an executable file, or a bundle directory whose
// Contents/Info.plist names its executable (CFBundleExecutable, in Contents/MacOS). It gets the
// arguments unchanged, after its own path as argv[0], as a detached process that is never waited
// for. False, with a message naming the file at fault, when nothing was started.
bool launchApplication(const URL& url, const std::vector<std::string>& arguments,
                       std::string* error = nullptr);

} // namespace foundation
