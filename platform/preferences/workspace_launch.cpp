// Workspace::launchApplication lives here rather than in foundation: bundles name their executable
// in a property list, and only this library may read those.
#include "platform/foundation/workspace.h"
#include "platform/preferences/application_bundle.h"

#include <cstring>

namespace foundation {

bool Workspace::launchApplication(const URL& url, const std::vector<std::string>& arguments,
                                  std::string* error) {
    if (!url.isFileURL()) {
        if (error)
            *error = url.absoluteString() + ": not a file URL";
        return false;
    }
    auto executable = executableOfApplication(url.path(), error);
    if (!executable)
        return false;
    std::vector<std::string> argv{*executable};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    if (int failure = spawnDetached(argv, ProgramLookup::exactPath)) {
        if (error)
            *error = *executable + ": " + std::strerror(failure);
        return false;
    }
    return true;
}

} // namespace foundation
