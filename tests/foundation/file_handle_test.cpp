#include "platform/foundation/file_handle.h"
#include "platform/foundation/notification_center.h"
#include "tests/foundation/pipe.h"
#include "tests/support/temporary_home.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using foundation::ByteView;
using foundation::FileHandle;
using foundation::NotificationCenter;
using foundation::RunLoop;

namespace {

// Counts the data notifications of one handle (or of all, for none) while it lives.
struct Posts {
    explicit Posts(const FileHandle* handle, std::function<void()> onPost = {}) : onPost(std::move(onPost)) {
        token = NotificationCenter::defaultCenter().addObserverForName(
            std::string(FileHandle::DataAvailableNotification), handle,
            [this](const foundation::Notification&) {
                ++count;
                if (this->onPost)
                    this->onPost();
            });
    }
    ~Posts() { NotificationCenter::defaultCenter().removeObserver(token); }
    std::function<void()> onPost;
    NotificationCenter::ObserverToken token = 0;
    int count = 0;
};

} // namespace

TEST(FileHandleNotification, PostsOncePerArmingWithTheHandleAsObject) {
    Pipe pipe, other;
    FileHandle handle(pipe.readEnd()), otherHandle(other.readEnd());
    Posts posts(&handle), otherPosts(&otherHandle);
    otherHandle.waitForDataInBackgroundAndNotify();
    pipe.write("unread data stays ready");
    for (int arming = 1; arming <= 2; ++arming) {
        handle.waitForDataInBackgroundAndNotify();
        for (int turn = 0; turn < 3; ++turn)
            RunLoop::main().runOnce(0);
        EXPECT_EQ(posts.count, arming);
    }
    EXPECT_EQ(otherPosts.count, 0);
}

TEST(FileHandleNotification, DestroyingAnArmedHandleCancelsIt) {
    Pipe pipe;
    Posts posts(nullptr);
    FileHandle(pipe.readEnd()).waitForDataInBackgroundAndNotify();
    pipe.write("x");
    EXPECT_FALSE(RunLoop::main().runOnce(0));
    EXPECT_EQ(posts.count, 0);
}

// The host reads standard input from the observer itself: every read and the end arrive.
TEST(FileHandleNotification, AnObserverThatReadsAtOnceGetsEveryReadAndTheEnd) {
    Pipe pipe;
    FileHandle handle(pipe.readEnd());
    handle.setObserverReadsAtOnce(true);
    std::string received;
    bool ended = false;
    Posts posts(&handle, [&] {
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
    while (!ended)
        ASSERT_TRUE(RunLoop::main().runOnce(-1));
    writer.join();
    EXPECT_EQ(received, "first second");
    EXPECT_FALSE(RunLoop::main().runOnce(0)) << "nothing should be left armed";
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

// A FIFO without a reader would block the opening for good; one with a reader, or a device,
// would take lines nobody keeps.
TEST_F(AppendingHandle, RefusesWhatIsNotARegularFileWithoutWaiting) {
    auto lonelyFifo = home() / "lonely", readFifo = home() / "read";
    ASSERT_EQ(::mkfifo(lonelyFifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(readFifo.c_str(), 0600), 0);
    int reader = ::open(readFifo.c_str(), O_RDONLY | O_NONBLOCK);
    std::filesystem::create_symlink("/dev/null", home() / "device");
    for (const auto& path :
         {makeFolder("folder"), home() / "missing" / "log.txt", lonelyFifo, readFifo, home() / "device"})
        EXPECT_EQ(FileHandle::forAppendingAtPath(path), nullptr) << path;
    EXPECT_FALSE(std::filesystem::exists(home() / "missing"));
    ::close(reader);
}
