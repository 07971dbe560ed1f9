#include "platform/foundation/workspace.h"

namespace foundation {

namespace {

#ifdef __APPLE__
constexpr const char* defaultOpener = "open";
#else
constexpr const char* defaultOpener = "xdg-open";
#endif

} // namespace

Workspace& Workspace::sharedWorkspace() {
    static Workspace workspace(defaultOpener);
    return workspace;
}

Workspace::Workspace(std::string openerProgram) : openerProgram_(std::move(openerProgram)) {}

bool Workspace::openURL(const URL& url) {
    if (!url.hasScheme())
        return false;
    return runOpener(url);
}

bool Workspace::runOpener(const URL& url) {
    return DetachedProcesses::shared().startInTurn(
               {{openerProgram_, url.absoluteString()}, DetachedProcesses::ProgramLookup::onPATH}) == 0;
}

} // namespace foundation
