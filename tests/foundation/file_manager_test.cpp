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

TEST_F(UserFolders, DocumentsComeFromUserDirsRelativeToHome) {
    writeUserDirs("# written by xdg-user-dirs-update\n"
                  "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                  "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n"
                  "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
    EXPECT_EQ(documentsFolder(), (home() / "Docs").string());
}

TEST_F(UserFolders, DocumentsDefaultToHomeDocumentsWithoutUserDirs) {
    EXPECT_EQ(documentsFolder(), documents().string());
}

TEST_F(UserFolders, DocumentsIgnoreARelativeValue) {
    writeUserDirs("XDG_DOCUMENTS_DIR=\"Docs\"\n");
    EXPECT_EQ(documentsFolder(), documents().string());
}

TEST_F(UserFolders, DocumentsReadUserDirsFromXDGConfigHome) {
    auto configHome = home() / "elsewhere";
    ::setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    writeUserDirs(configHome, "XDG_DOCUMENTS_DIR=\"$HOME/Chosen\"\n");
    writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Decoy\"\n");
    EXPECT_EQ(documentsFolder(), (home() / "Chosen").string());
}

TEST_F(UserFolders, DocumentsReadUserDirsFromDotConfigWhenXDGConfigHomeIsUnset) {
    ::unsetenv("XDG_CONFIG_HOME");
    writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    EXPECT_EQ(documentsFolder(), (home() / "Docs").string());
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
