#include "platform/foundation/folder_changes.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using foundation::FolderChanges;
namespace fs = std::filesystem;

class FolderChangesTest : public TemporaryHome {};

// Each change is told once, also one made by another process or more than one read takes;
// once the folder is gone, every answer is yes.
TEST_F(FolderChangesTest, TellsEachChangeOnce) {
    auto folder = makeFolder("watched");
    auto changes = FolderChanges::watch(folder.string());
    ASSERT_NE(changes, nullptr);
    EXPECT_FALSE(changes->changedSinceLastAsked());
    if (pid_t child = fork(); child == 0) {
        writeFile(folder / "a", "");
        _exit(0);
    } else {
        ASSERT_EQ(waitpid(child, nullptr, 0), child);
    }
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
