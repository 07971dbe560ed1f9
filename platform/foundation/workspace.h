#pragma once

#include "platform/foundation/detached_processes.h"
#include "platform/foundation/url.h"

#include <string>
#include <vector>

namespace foundation {

// Hands URLs to the desktop and starts applications, without a shell, as detached processes that
// are never waited for.
class Workspace {
public:
    static Workspace& sharedWorkspace();

    // The opener is looked up on PATH (xdg-open on Linux, open on macOS).
    explicit Workspace(std::string openerProgram);
    virtual ~Workspace() = default;

    // Opens an absolute URL with the user's default handler for its scheme. A relative reference
    // is refused: the opener would take it for a file path. In a burst, openers wait their turn,
    // in order (see DetachedProcesses); true for one that waits.
    bool openURL(const URL& url);

    // Starts the application at a file URL: an executable file, or a bundle directory whose
    // Contents/Info.plist names its executable (CFBundleExecutable, in Contents/MacOS). It gets the
    // arguments unchanged, after its own path as argv[0]. False, with a message naming the file at
    // fault, when nothing was started.
    // Defined in the preferences library, which reads Info.plist: the messaging host links this one
    // and must stay free of libplist.
    bool launchApplication(const URL& url, const std::vector<std::string>& arguments,
                           std::string* error = nullptr);

protected:
    // Starts the opener for an absolute URL; tests replace it to see what would be opened.
    virtual bool runOpener(const URL& url);

private:
    using ProgramLookup = DetachedProcesses::ProgramLookup;

    // The first argument names the program; it starts at once. 0 once it runs, else the error
    // number of the failure.
    int spawnDetached(const std::vector<std::string>& arguments, ProgramLookup lookup);

    std::string openerProgram_;
};

} // namespace foundation
