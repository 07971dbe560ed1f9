#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace appkit {

// The program's resources: interface files and images, installed in a "Resources" folder beside
// the binary (found from /proc/self/exe). VANTREL_RESOURCES names another folder, for tests and
// for running from a build tree.
class Bundle {
public:
    static Bundle& mainBundle();

    const std::filesystem::path& resourcePath() const { return resourcePath_; }
    void setResourcePath(std::filesystem::path path) { resourcePath_ = std::move(path); }
    // The resource "name.type", when it exists.
    std::optional<std::filesystem::path> pathForResource(const std::string& name,
                                                         const std::string& type) const;

private:
    Bundle();

    std::filesystem::path resourcePath_;
};

} // namespace appkit
