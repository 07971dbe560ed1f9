#include "platform/foundation/file_manager.h"

#include "platform/foundation/data.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

std::optional<std::string> environmentPath(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::nullopt; // relative values are invalid by the XDG rules
    return std::string(value);
}

std::string configHome(const std::string& home) {
    return environmentPath("XDG_CONFIG_HOME").value_or(home + "/.config");
}

// A line of user-dirs.dirs reads XDG_DOCUMENTS_DIR="$HOME/Documents" or an absolute path in quotes.
std::optional<std::string> userDirectoryFromLine(const std::string& line, const std::string& key,
                                                 const std::string& home) {
    std::string prefix = key + "=\"";
    if (!line.starts_with(prefix) || line.size() < prefix.size() + 1 || line.back() != '"')
        return std::nullopt;
    std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    if (value.starts_with("$HOME"))
        value = home + value.substr(5);
    if (value.empty() || value[0] != '/')
        return std::nullopt;
    while (value.size() > 1 && value.back() == '/')
        value.pop_back();
    return value;
}

std::optional<std::string> userDirectory(const std::string& key, const std::string& home) {
    auto settings = dataWithContentsOfFile(configHome(home) + "/user-dirs.dirs");
    if (!settings)
        return std::nullopt;
    std::optional<std::string> found;
    std::string_view text = *settings;
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        if (auto directory = userDirectoryFromLine(std::string(text.substr(0, end)), key, home))
            found = directory; // the last assignment wins, as in a shell
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return found;
}

std::string userFolderPath(SearchPathDirectory directory, const std::string& home) {
    switch (directory) {
    case SearchPathDirectory::documentDirectory:
        return userDirectory("XDG_DOCUMENTS_DIR", home).value_or(home + "/Documents");
    case SearchPathDirectory::applicationSupportDirectory:
        return environmentPath("XDG_DATA_HOME").value_or(home + "/.local/share");
    }
    return home;
}

std::string abbreviatingWithTilde(std::string path, const std::string& home) {
    if (home == "/" || !path.starts_with(home))
        return path; // a home of "/" would turn every path into "~"
    if (path.size() == home.size() || path[home.size()] == '/')
        path.replace(0, home.size(), "~");
    return path;
}

} // namespace

std::optional<std::string> homeDirectory() {
    if (auto home = environmentPath("HOME"))
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return std::string(entry->pw_dir);
    return std::nullopt;
}

std::optional<std::string> userConfigurationDirectory() {
    auto home = homeDirectory();
    if (!home)
        return environmentPath("XDG_CONFIG_HOME");
    return configHome(*home);
}

FileManager& FileManager::defaultManager() {
    static FileManager manager;
    return manager;
}

std::vector<URL> FileManager::URLsForDirectory(SearchPathDirectory directory, SearchPathDomainMask) const {
    auto home = homeDirectory();
    if (!home)
        return {};
    return {URL::fileURLWithPath(userFolderPath(directory, *home))};
}

std::vector<std::string> SearchPathForDirectoriesInDomains(SearchPathDirectory directory,
                                                           SearchPathDomainMask, bool expandTilde) {
    auto home = homeDirectory();
    if (!home)
        return {};
    std::string path = userFolderPath(directory, *home);
    return {expandTilde ? path : abbreviatingWithTilde(std::move(path), *home)};
}

bool FileManager::fileExistsAtPath(const std::string& path) const {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

bool FileManager::isSymbolicLinkAtPath(const std::string& path) const {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

std::optional<std::string> FileManager::currentDirectoryPath() const {
    std::string buffer(256, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

} // namespace foundation
