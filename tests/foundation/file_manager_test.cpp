#include "platform/foundation/file_manager.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>

using foundation::FileManager;
using foundation::SearchPathDirectory;

namespace {

std::optional<std::string> documentsFolder() {
    auto urls = FileManager::defaultManager().URLsForDirectory(
        SearchPathDirectory::documentDirectory, foundation::SearchPathDomainMask::userDomainMask);
    return urls.size() == 1 && urls[0].isFileURL() ? std::optional(urls[0].path()) : std::nullopt;
}

} // namespace

class UserFolders : public TemporaryHome {};

// user-dirs.dirs is read from XDG_CONFIG_HOME, else ~/.config; only an absolute value counts.
TEST_F(UserFolders, DocumentsComeFromUserDirsOrElseHomeDocuments) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {nullptr, nullptr, "Documents"},
        {nullptr,
         "# written by "
         "xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n",
         "Docs"},
        {nullptr, "XDG_DOCUMENTS_DIR=\"Docs\"\n", "Documents"},
        {"elsewhere", "XDG_DOCUMENTS_DIR=\"$HOME/Chosen\"\n", "Chosen"},
    };
    for (const auto& [configHome, userDirs, expected] : cases) {
        std::filesystem::remove_all(home() / ".config");
        makeFolder(".config");
        if (configHome) {
            ::setenv("XDG_CONFIG_HOME", makeFolder(configHome).c_str(), 1);
            writeFile(home() / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Decoy\"\n");
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        if (userDirs)
            writeFile(home() / (configHome ? configHome : ".config") / "user-dirs.dirs", userDirs);
        EXPECT_EQ(documentsFolder(), (home() / expected).string()) << (userDirs ? userDirs : "no user-dirs");
    }
}

TEST_F(UserFolders, ApplicationSupportIsAnAbsoluteXDGDataHomeOrElseLocalShare) {
    for (const char* dataHome : {"/data home", "", "relative/share", static_cast<const char*>(nullptr)}) {
        if (dataHome)
            ::setenv("XDG_DATA_HOME", dataHome[0] == '/' ? (home().string() + dataHome).c_str() : dataHome,
                     1);
        else
            ::unsetenv("XDG_DATA_HOME");
        auto expected =
            dataHome && dataHome[0] == '/' ? home().string() + dataHome : (home() / ".local/share").string();
        EXPECT_EQ(foundation::SearchPathForDirectoriesInDomains(
                      SearchPathDirectory::applicationSupportDirectory,
                      foundation::SearchPathDomainMask::userDomainMask, true),
                  std::vector<std::string>{expected})
            << (dataHome ? dataHome : "unset");
    }
}

// A folder counts as existing (the log switch may be one); a deleted working folder is none.
TEST_F(UserFolders, FileQueries) {
    EXPECT_TRUE(FileManager::defaultManager().fileExistsAtPath(makeFolder("folder").string() + "/"));
    EXPECT_FALSE(FileManager::defaultManager().fileExistsAtPath(home() / "missing"));
    auto saved = std::filesystem::current_path();
    std::filesystem::current_path(makeFolder("doomed"));
    std::filesystem::remove(home() / "doomed");
    EXPECT_EQ(FileManager::defaultManager().currentDirectoryPath(), std::nullopt);
    std::filesystem::current_path(saved);
}
