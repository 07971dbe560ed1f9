#include "platform/foundation/data.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/folder_changes.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace foundation;
namespace fs = std::filesystem;

class Files : public TemporaryHome {};

// Any size; files under /proc report a size of zero yet have pages of content, each mapping
// ending with its VmFlags line. Missing paths, a device without end and a FIFO without a writer give
// none, without waiting.
TEST_F(Files, ReadsWholeFilesOfAnySizeAndNeverWaitsOnAPipeOrADevice) {
    for (std::size_t size : {1, 4096, 65537, 3 * 1024 * 1024 + 17}) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            content[i] = static_cast<char>(i * 7 + i / 251);
        writeFile(home() / "sized.bin", content);
        EXPECT_TRUE(dataWithContentsOfFile(home() / "sized.bin") == content) << size;
    }
    std::string smaps = dataWithContentsOfFile("/proc/self/smaps").value_or("");
    EXPECT_GT(smaps.size(), 3u * 4096u);
    EXPECT_TRUE(smaps.substr(smaps.rfind('\n', smaps.size() - 2) + 1).starts_with("VmFlags:")) << smaps;
    ASSERT_EQ(::mkfifo((home() / "fifo").c_str(), 0600), 0);
    for (std::string path : {(home() / "missing").string(), std::string(), std::string("/dev/zero")})
        EXPECT_EQ(dataWithContentsOfFile(path), std::nullopt) << path;
    EXPECT_TRUE(dataWithContentsOfFile(home() / "fifo").value_or("").empty());
}

namespace {

std::optional<std::string> documentsFolder() {
    auto urls = FileManager::defaultManager().URLsForDirectory(
        SearchPathDirectory::documentDirectory, foundation::SearchPathDomainMask::userDomainMask);
    return urls.size() == 1 && urls[0].isFileURL() ? std::optional(urls[0].path()) : std::nullopt;
}

} // namespace

// user-dirs.dirs is read from XDG_CONFIG_HOME, else ~/.config; only an absolute value counts.
TEST_F(Files, DocumentsComeFromUserDirsOrElseHomeDocuments) {
    ::unsetenv("XDG_CONFIG_HOME");
    makeFolder(".config");
    const std::pair<const char*, const char*> cases[] = {
        {"", "Documents"},
        {"XDG_DOCUMENTS_DIR=\"Docs\"\n", "Documents"},
        {"# by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n",
         "Docs"}};
    for (auto [userDirs, expected] : cases) {
        writeFile(home() / ".config/user-dirs.dirs", userDirs);
        EXPECT_EQ(documentsFolder(), (home() / expected).string()) << userDirs;
    }
    ::setenv("XDG_CONFIG_HOME", makeFolder("elsewhere").c_str(), 1);
    writeFile(home() / "elsewhere/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Chosen\"\n");
    EXPECT_EQ(documentsFolder(), (home() / "Chosen").string());
}

TEST_F(Files, ApplicationSupportIsAnAbsoluteXDGDataHomeOrElseLocalShare) {
    auto folders = [] {
        return SearchPathForDirectoriesInDomains(SearchPathDirectory::applicationSupportDirectory,
                                                 SearchPathDomainMask::userDomainMask, true);
    };
    ::setenv("XDG_DATA_HOME", (home() / "data home").c_str(), 1);
    EXPECT_EQ(folders(), std::vector{(home() / "data home").string()});
    for (const char* ignored : {"", "relative/share"}) {
        ::setenv("XDG_DATA_HOME", ignored, 1);
        EXPECT_EQ(folders(), std::vector{(home() / ".local/share").string()}) << ignored;
    }
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(folders(), std::vector{(home() / ".local/share").string()});
}

// A folder counts as existing (the log switch may be one); a deleted working folder is none.
TEST_F(Files, FileQueries) {
    EXPECT_TRUE(FileManager::defaultManager().fileExistsAtPath(makeFolder("folder").string() + "/"));
    EXPECT_FALSE(FileManager::defaultManager().fileExistsAtPath(home() / "missing"));
    auto saved = std::filesystem::current_path();
    std::filesystem::current_path(makeFolder("doomed"));
    std::filesystem::remove(home() / "doomed");
    EXPECT_EQ(FileManager::defaultManager().currentDirectoryPath(), std::nullopt);
    std::filesystem::current_path(saved);
}

// Each change is told once, also when more than one read takes; once the folder is gone, every
// answer is yes.
TEST_F(Files, TellsEachChangeOnce) {
    auto folder = makeFolder("watched");
    auto changes = FolderChanges::watch(folder.string());
    ASSERT_NE(changes, nullptr);
    EXPECT_FALSE(changes->changedSinceLastAsked());
    writeFile(folder / "a", "");
    EXPECT_TRUE(changes->changedSinceLastAsked());
    EXPECT_FALSE(changes->changedSinceLastAsked());
    for (int i = 0; i < 300; ++i)
        writeFile(folder / ("entry with a long name to fill the queue " + std::to_string(i)), "");
    EXPECT_TRUE(changes->changedSinceLastAsked());
    EXPECT_FALSE(changes->changedSinceLastAsked());
    fs::remove(folder / "a");
    EXPECT_TRUE(changes->changedSinceLastAsked());
    fs::rename(folder, home() / "moved");
    EXPECT_TRUE(changes->changedSinceLastAsked());
    EXPECT_TRUE(changes->changedSinceLastAsked());
}
