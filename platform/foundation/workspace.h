#pragma once

#include "platform/foundation/detached_processes.h"
#include "platform/foundation/url.h"

#include <string>
#include <vector>

namespace foundation {

// Hands URLs to the desktop, without a shell, as detached processes that are never waited for.
// Launching applications is platform/workspace's launchApplication.
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

protected:
    // Starts the opener for an absolute URL; tests replace it to see what would be opened.
    virtual bool runOpener(const URL& url);

private:
    std::string openerProgram_;
};

} // namespace foundation
