#pragma once

#include "platform/foundation/url.h"

#include <optional>
#include <string>
#include <vector>

namespace foundation {

enum class SearchPathDirectory { applicationSupportDirectory = 14, documentDirectory = 9 };
enum class SearchPathDomainMask { userDomainMask = 1 };

// File-system questions. Nothing here creates a directory.
class FileManager {
public:
    static FileManager& defaultManager();

    // The user's folders, from $HOME (else the password database) and the XDG settings:
    // Documents is XDG_DOCUMENTS_DIR of user-dirs.dirs, else ~/Documents; Application Support is
    // $XDG_DATA_HOME, else ~/.local/share. Empty when no home directory can be found.
    std::vector<URL> URLsForDirectory(SearchPathDirectory directory, SearchPathDomainMask domain) const;
    bool fileExistsAtPath(const std::string& path) const;
    // The path itself, not what it leads to.
    bool isSymbolicLinkAtPath(const std::string& path) const;
    // None when the process's working directory no longer exists.
    std::optional<std::string> currentDirectoryPath() const;
};

// $HOME, else the password database's entry for the user; none when neither has one.
std::optional<std::string> homeDirectory();

// $XDG_CONFIG_HOME when it is absolute, else ~/.config; none without a home directory.
std::optional<std::string> userConfigurationDirectory();

// The counterpart of NSSearchPathForDirectoriesInDomains: the same folders as URLsForDirectory, as
// paths. Without tilde expansion, the home folder at the start of a path is written "~". Empty
// when no home directory can be found.
std::vector<std::string> SearchPathForDirectoriesInDomains(SearchPathDirectory directory,
                                                           SearchPathDomainMask domain, bool expandTilde);

} // namespace foundation
