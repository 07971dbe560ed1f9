#include "platform/foundation/folder_changes.h"
#include "tests/support/temporary_home.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using foundation::FolderChanges;
namespace fs = std::filesystem;

class FolderChangesTest : public TemporaryHome {};

TEST_F(FolderChangesTest, TellsEachChangeOnce) {
    auto folder = makeFolder("watched");
    auto changes = FolderChanges::watch(folder.string());
    ASSERT_NE(changes, nullptr);
    EXPECT_FALSE(changes->changedSinceLastAsked());
    writeFile(folder / "a", "");
    EXPECT_TRUE(changes->changedSinceLastAsked());
    EXPECT_FALSE(changes->changedSinceLastAsked());
    // Many changes at once, more than one read of them takes.
    for (int i = 0; i < 300; ++i)
        writeFile(folder / ("entry with a long name to fill the queue " + std::to_string(i)), "");
    EXPECT_TRUE(changes->changedSinceLastAsked());
    EXPECT_FALSE(changes->changedSinceLastAsked());
    fs::rename(folder / "a", folder / "b");
    EXPECT_TRUE(changes->changedSinceLastAsked());
    fs::remove(folder / "b");
    EXPECT_TRUE(changes->changedSinceLastAsked());
}

TEST_F(FolderChangesTest, OnceTheFolderIsGoneEveryAnswerIsYes) {
    auto folder = makeFolder("watched");
    auto changes = FolderChanges::watch(folder.string());
    ASSERT_NE(changes, nullptr);
    fs::rename(folder, home() / "moved");
    EXPECT_TRUE(changes->changedSinceLastAsked());
    EXPECT_TRUE(changes->changedSinceLastAsked());

    auto removed = FolderChanges::watch(makeFolder("removed").string());
    fs::remove(home() / "removed");
    EXPECT_TRUE(removed->changedSinceLastAsked());
    EXPECT_TRUE(removed->changedSinceLastAsked());
}

TEST_F(FolderChangesTest, TellsAChangeMadeByAnotherProcess) {
    auto folder = makeFolder("watched");
    auto changes = FolderChanges::watch(folder.string());
    ASSERT_NE(changes, nullptr);
    EXPECT_FALSE(changes->changedSinceLastAsked());
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        writeFile(folder / "EnableLog", "");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(changes->changedSinceLastAsked());
    EXPECT_FALSE(changes->changedSinceLastAsked());
}

namespace {
volatile sig_atomic_t programSignals = 0;
void programHandler(int) {
    programSignals = programSignals + 1;
}
} // namespace

// A program with a SIGIO handler of its own keeps it; its watches still tell every change.
TEST_F(FolderChangesTest, LeavesAProgramsOwnSignalHandlerInPlace) {
    auto folder = makeFolder("watched");
    EXPECT_EXIT(
        {
            std::signal(SIGIO, programHandler);
            auto changes = FolderChanges::watch(folder.string());
            bool told = changes && !changes->changedSinceLastAsked();
            writeFile(folder / "a", "");
            told = told && changes->changedSinceLastAsked() && !changes->changedSinceLastAsked();
            struct sigaction current {};
            sigaction(SIGIO, nullptr, &current);
            _exit(told && current.sa_handler == programHandler && programSignals == 0 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
