#include "platform/appkit/application/bundle.h"

#include "platform/foundation/environment_switches.h"

#include <system_error>

namespace appkit {

Bundle& Bundle::mainBundle() {
    static Bundle bundle;
    return bundle;
}

Bundle::Bundle() {
    if (auto folder = foundation::environment_switches::resourceFolder()) {
        resourcePath_ = *folder;
        return;
    }
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    resourcePath_ = error ? std::filesystem::path("Resources") : executable.parent_path() / "Resources";
}

std::optional<std::filesystem::path> Bundle::pathForResource(const std::string& name,
                                                             const std::string& type) const {
    auto path = resourcePath_ / (type.empty() ? name : name + "." + type);
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return std::nullopt;
    return path;
}

} // namespace appkit
