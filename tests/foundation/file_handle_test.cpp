#include "platform/foundation/file_handle.h"
#include "platform/foundation/notification_center.h"
#include "tests/foundation/pipe.h"
#include "tests/support/temporary_home.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using foundation::ByteView;
using foundation::FileHandle;
using foundation::NotificationCenter;
using foundation::RunLoop;

namespace {

// Observes the data notifications of one handle (or of all, for none); remove it when done.
NotificationCenter::ObserverToken observe(const FileHandle* handle, std::function<void()> onPost) {
    return NotificationCenter::defaultCenter().addObserverForName(
        std::string(FileHandle::DataAvailableNotification), handle,
        [onPost](const foundation::Notification&) { onPost(); });
}

} // namespace

TEST(FileHandleNotification, PostsOncePerArmingWithTheHandleAsObject) {
    Pipe pipe, other;
    FileHandle handle(pipe.readEnd()), otherHandle(other.readEnd());
    int posts = 0, otherPosts = 0;
    auto token = observe(&handle, [&] { ++posts; }),
         otherToken = observe(&otherHandle, [&] { ++otherPosts; });
    otherHandle.waitForDataInBackgroundAndNotify();
    pipe.write("unread data stays ready");
    for (int arming = 1; arming <= 2; ++arming) {
        handle.waitForDataInBackgroundAndNotify();
        for (int turn = 0; turn < 3; ++turn)
            RunLoop::main().runOnce(0);
        EXPECT_EQ(posts, arming);
    }
    EXPECT_EQ(otherPosts, 0);
    NotificationCenter::defaultCenter().removeObserver(token);
    NotificationCenter::defaultCenter().removeObserver(otherToken);
}

// The host reads standard input from the observer itself: every read and the end arrive.
TEST(FileHandleNotification, AnObserverThatReadsAtOnceGetsEveryReadAndTheEnd) {
    Pipe pipe;
    FileHandle handle(pipe.readEnd());
    handle.setObserverReadsAtOnce(true);
    std::string received;
    bool ended = false;
    auto token = observe(&handle, [&] {
        auto data = handle.availableData();
        ended = data.empty();
        received += ByteView(data);
        if (!ended)
            handle.waitForDataInBackgroundAndNotify();
    });
    handle.waitForDataInBackgroundAndNotify();
    // A writer slower than the reader: the observer's read waits for it.
    std::thread writer([&pipe] {
        pipe.write("first ");
        pipe.write("second");
        pipe.closeEnd(1);
    });
    while (!ended && RunLoop::main().runOnce(-1)) {
    }
    writer.join();
    EXPECT_EQ(received, "first second");
    EXPECT_FALSE(RunLoop::main().runOnce(0)) << "nothing should be left armed";
    NotificationCenter::defaultCenter().removeObserver(token);
}

// Pieces larger than the pipe go out whole and in order; with the reader gone, writing fails.
TEST(FileHandleWriting, WritesPiecesLargerThanThePipeWholeAndFailsWithoutAReader) {
    Pipe pipe;
    std::string first(300 * 1024 + 3, 'A'), second(1024 * 1024 + 5, 'b');
    for (std::size_t i = 0; i < second.size(); i += 97)
        second[i] = static_cast<char>('c' + i % 13);
    std::thread writer([&] {
        EXPECT_TRUE(
            FileHandle(pipe.writeEnd()).writeData({ByteView("header:"), ByteView(first), ByteView(second)}));
        pipe.closeEnd(1);
    });
    FileHandle handle(pipe.readEnd());
    std::string received;
    for (auto data = handle.availableData(); !data.empty(); data = handle.availableData())
        received += ByteView(data);
    writer.join();
    EXPECT_TRUE(received == "header:" + first + second);

    auto previous = std::signal(SIGPIPE, SIG_IGN);
    Pipe lonely;
    lonely.closeEnd(0);
    EXPECT_FALSE(FileHandle(lonely.writeEnd()).writeData({ByteView("a"), ByteView("b")}));
    std::signal(SIGPIPE, previous);
}

class AppendingHandle : public TemporaryHome {};

TEST_F(AppendingHandle, CreatesAPrivateFileAndAppendsAfterWhatOthersWrote) {
    mode_t savedMask = ::umask(0);
    auto path = home() / "log.txt";
    auto first = FileHandle::forAppendingAtPath(path);
    ::umask(savedMask);
    auto second = FileHandle::forAppendingAtPath(path);
    ASSERT_TRUE(first && second);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_TRUE(first->writeData(ByteView("1")) && second->writeData(ByteView("22")) &&
                first->writeData(ByteView("333")));
    EXPECT_EQ(readFile(path), "122333");
}

// A FIFO without a reader would block the opening for good; a device would take lines nobody keeps.
TEST_F(AppendingHandle, RefusesWhatIsNotARegularFileWithoutWaiting) {
    auto fifo = home() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", home() / "device");
    for (const auto& path : {makeFolder("folder"), home() / "missing" / "log.txt", fifo, home() / "device"})
        EXPECT_EQ(FileHandle::forAppendingAtPath(path), nullptr) << path;
    EXPECT_FALSE(std::filesystem::exists(home() / "missing"));
}
