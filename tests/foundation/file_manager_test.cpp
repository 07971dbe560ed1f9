#include "platform/foundation/file_manager.h"
#include "tests/support/temporary_home.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

using foundation::FileManager;
using foundation::SearchPathDirectory;
using foundation::SearchPathDomainMask;

namespace {

std::optional<std::string> userFolder(SearchPathDirectory directory) {
    auto urls =
        FileManager::defaultManager().URLsForDirectory(directory, SearchPathDomainMask::userDomainMask);
    if (urls.size() != 1)
        return std::nullopt;
    EXPECT_TRUE(urls[0].isFileURL());
    return urls[0].path();
}

std::optional<std::string> documentsFolder() {
    return userFolder(SearchPathDirectory::documentDirectory);
}

std::optional<std::string> applicationSupportFolder() {
    return userFolder(SearchPathDirectory::applicationSupportDirectory);
}

// Restores the working directory, which is process-wide, whatever the test does to it.
class ScopedWorkingDirectory {
public:
    ScopedWorkingDirectory() : saved_(std::filesystem::current_path()) {}
    ~ScopedWorkingDirectory() { std::filesystem::current_path(saved_); }
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::filesystem::path saved_;
};

} // namespace

class UserFolders : public TemporaryHome {
protected:
    void writeUserDirs(const std::filesystem::path& configHome, std::string_view content) {
        std::filesystem::create_directories(configHome);
        writeFile(configHome / "user-dirs.dirs", content);
    }
    void writeUserDirs(std::string_view content) { writeUserDirs(home() / ".config", content); }
};

// user-dirs.dirs is read from XDG_CONFIG_HOME, else ~/.config; only an absolute value counts.
TEST_F(UserFolders, DocumentsComeFromUserDirsOrElseHomeDocuments) {
    struct Case {
        const char* configHome;
        const char* userDirs;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "Documents"},
        {nullptr,
         "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n",
         "Docs"},
        {nullptr, "XDG_DOCUMENTS_DIR=\"Docs\"\n", "Documents"},
        {"elsewhere", "XDG_DOCUMENTS_DIR=\"$HOME/Chosen\"\n", "Chosen"},
    };
    for (const auto& [configHome, userDirs, expected] : cases) {
        std::filesystem::remove_all(home() / ".config");
        if (configHome) {
            ::setenv("XDG_CONFIG_HOME", (home() / configHome).c_str(), 1);
            writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Decoy\"\n");
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        if (userDirs)
            writeUserDirs(configHome ? home() / configHome : home() / ".config", userDirs);
        EXPECT_EQ(documentsFolder(), (home() / expected).string()) << (userDirs ? userDirs : "no user-dirs");
    }
}

TEST_F(UserFolders, HomeComesFromThePasswordDatabaseWhenHOMEIsUnset) {
    const passwd* entry = ::getpwuid(::getuid());
    if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] != '/')
        GTEST_SKIP() << "no home directory in the password database";
    ::unsetenv("HOME");
    EXPECT_EQ(foundation::homeDirectory(), std::string(entry->pw_dir));
    EXPECT_EQ(documentsFolder(), std::string(entry->pw_dir) + "/Documents");
}

TEST_F(UserFolders, ApplicationSupportIsXDGDataHome) {
    auto dataHome = home() / "data home";
    ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    EXPECT_EQ(applicationSupportFolder(), dataHome.string());
}

TEST_F(UserFolders, ApplicationSupportDefaultsToLocalShare) {
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(applicationSupportFolder(), (home() / ".local/share").string());
    ::setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(applicationSupportFolder(), (home() / ".local/share").string());
    ::setenv("XDG_DATA_HOME", "relative/share", 1);
    EXPECT_EQ(applicationSupportFolder(), (home() / ".local/share").string());
}

class FileExistence : public TemporaryHome {};

TEST_F(FileExistence, IsTrueForFilesAndDirectories) {
    auto file = home() / "file.txt";
    writeFile(file, "x");
    EXPECT_TRUE(FileManager::defaultManager().fileExistsAtPath(file));
    EXPECT_TRUE(FileManager::defaultManager().fileExistsAtPath(makeFolder("folder")));
    EXPECT_TRUE(FileManager::defaultManager().fileExistsAtPath(makeFolder("folder").string() + "/"));
}

class WorkingDirectory : public TemporaryHome {
protected:
    ScopedWorkingDirectory restore_;
};

TEST_F(WorkingDirectory, IsNoneWhenTheDirectoryWasDeleted) {
    auto folder = makeFolder("doomed");
    std::filesystem::current_path(folder);
    std::filesystem::remove(folder);
    EXPECT_EQ(FileManager::defaultManager().currentDirectoryPath(), std::nullopt);
}

class SearchPaths : public TemporaryHome {
protected:
    static std::vector<std::string> applicationSupport(bool expandTilde) {
        return foundation::SearchPathForDirectoriesInDomains(SearchPathDirectory::applicationSupportDirectory,
                                                             SearchPathDomainMask::userDomainMask,
                                                             expandTilde);
    }
};

TEST_F(SearchPaths, WithoutTildeExpansionHomeIsWrittenAsTilde) {
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(applicationSupport(false), std::vector<std::string>{"~/.local/share"});
    ::setenv("XDG_DATA_HOME", home().c_str(), 1);
    EXPECT_EQ(applicationSupport(false), std::vector<std::string>{"~"});
}
