#include "platform/workspace/application_launch.h"

#include "platform/foundation/detached_processes.h"
#include "platform/workspace/application_bundle.h"

#include <cstring>

namespace foundation {

bool launchApplication(const URL& url, const std::vector<std::string>& arguments, std::string* error) {
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
    if (int failure =
            DetachedProcesses::shared().startNow({argv, DetachedProcesses::ProgramLookup::exactPath})) {
        if (error)
            *error = *executable + ": " + std::strerror(failure);
        return false;
    }
    return true;
}

} // namespace foundation
