#include "platform/workspace/application_bundle.h"

#include "platform/preferences/property_list_reader.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

std::optional<std::string> fail(std::string* error, const std::string& message) {
    if (error)
        *error = message;
    return std::nullopt;
}

std::optional<std::string> executableFile(const std::string& path, std::string* error) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return fail(error, path + ": " + std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        return fail(error, path + ": not a file or an application bundle");
    // Root passes this check only when some execute bit is set, as exec requires.
    if (::access(path.c_str(), X_OK) != 0)
        return fail(error, path + ": not executable");
    return path;
}

// The executable's name must stay inside Contents/MacOS.
bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::optional<std::string> bundleExecutable(const std::string& bundle, std::string* error) {
    std::string infoPath = bundle + "/Contents/Info.plist";
    auto info = dictionaryWithContentsOfFile(infoPath, error);
    if (!info)
        return std::nullopt;
    const PropertyListValue* name = valueForKey(*info, "CFBundleExecutable");
    if (name == nullptr || name->text() == nullptr || !isPlainFileName(*name->text()))
        return fail(error, infoPath + ": CFBundleExecutable names no file in Contents/MacOS");
    return executableFile(bundle + "/Contents/MacOS/" + *name->text(), error);
}

} // namespace

std::optional<std::string> executableOfApplication(const std::string& path, std::string* error) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return bundleExecutable(path, error);
    return executableFile(path, error);
}

} // namespace foundation
