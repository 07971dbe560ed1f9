#pragma once

#include "platform/foundation/url.h"

#include <string>
#include <vector>

namespace foundation {

// Hands URLs to the desktop. Programs are started without a shell, with their standard streams
// on /dev/null and in a session of their own, and are never waited for.
class Workspace {
public:
    static Workspace& sharedWorkspace();

    // The opener is looked up on PATH (xdg-open on Linux, open on macOS).
    explicit Workspace(std::string openerProgram);
    virtual ~Workspace() = default;

    // Opens an absolute URL with the user's default handler for its scheme. A relative reference
    // is refused: the opener would take it for a file path.
    bool openURL(const URL& url);

protected:
    // Starts the opener for an absolute URL; tests replace it to see what would be opened.
    virtual bool runOpener(const URL& url);

private:
    bool spawnDetached(const std::vector<std::string>& arguments);

    std::string openerProgram_;
};

} // namespace foundation
