#include "platform/foundation/environment_switches.h"

#include <cstdlib>

namespace foundation::environment_switches {

namespace {

std::optional<std::string> valueOf(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] == '\0')
        return std::nullopt;
    return value;
}

} // namespace

bool offscreen() {
    return valueOf("VANTREL_OFFSCREEN").has_value();
}

bool reportFrames() {
    return valueOf("VANTREL_REPORT_FRAMES").has_value();
}

std::optional<std::string> snapshotPath() {
    return valueOf("VANTREL_SNAPSHOT");
}

std::optional<std::string> resourceFolder() {
    return valueOf("VANTREL_RESOURCES");
}

std::optional<std::string> backingScale() {
    return valueOf("VANTREL_BACKING_SCALE");
}

} // namespace foundation::environment_switches
