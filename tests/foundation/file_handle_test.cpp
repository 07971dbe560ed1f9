#include "platform/foundation/file_handle.h"
#include "platform/foundation/notification_center.h"
#include "tests/foundation/pipe.h"
#include "tests/support/temporary_home.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>

using foundation::ByteView;
using foundation::FileHandle;
using foundation::NotificationCenter;
using foundation::RunLoop;

namespace {

// Counts the data notifications one handle posts; removed from the shared center afterwards.
class NotificationCounter {
public:
    explicit NotificationCounter(const FileHandle& handle, std::function<void()> onPost = {})
        : onPost_(std::move(onPost)) {
        token_ = NotificationCenter::defaultCenter().addObserverForName(
            std::string(FileHandle::DataAvailableNotification), &handle,
            [this](const foundation::Notification&) {
                ++count_;
                if (onPost_)
                    onPost_();
            });
    }
    ~NotificationCounter() { NotificationCenter::defaultCenter().removeObserver(token_); }
    NotificationCounter(const NotificationCounter&) = delete;
    NotificationCounter& operator=(const NotificationCounter&) = delete;

    int count() const { return count_; }

private:
    std::function<void()> onPost_;
    NotificationCenter::ObserverToken token_ = 0;
    int count_ = 0;
};

// Turns the main loop a bounded number of times, stopping as soon as nothing is watched.
void turnMainLoop(int turns = 5) {
    for (int i = 0; i < turns; ++i) {
        if (!RunLoop::main().runOnce(100))
            return;
    }
}

class ScopedSignalDisposition {
public:
    ScopedSignalDisposition(int signal, void (*handler)(int)) : signal_(signal) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal_, &action, &saved_);
    }
    ~ScopedSignalDisposition() { ::sigaction(signal_, &saved_, nullptr); }
    ScopedSignalDisposition(const ScopedSignalDisposition&) = delete;
    ScopedSignalDisposition& operator=(const ScopedSignalDisposition&) = delete;

private:
    int signal_;
    struct sigaction saved_ {};
};

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : saved_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(saved_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t saved_;
};

std::string patterned(std::size_t size, char seed) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        content[i] = static_cast<char>(seed + static_cast<char>(i % 97));
    return content;
}

} // namespace

TEST(FileHandleNotification, PostsOncePerArming) {
    Pipe pipe;
    FileHandle handle(pipe.readEnd());
    NotificationCounter notifications(handle);
    pipe.write("unread data stays ready");
    handle.waitForDataInBackgroundAndNotify();
    turnMainLoop();
    EXPECT_EQ(notifications.count(), 1);
    handle.waitForDataInBackgroundAndNotify();
    turnMainLoop();
    EXPECT_EQ(notifications.count(), 2);
}

TEST(FileHandleNotification, PostsWithTheHandleAsObject) {
    Pipe pipe;
    Pipe other;
    FileHandle handle(pipe.readEnd());
    FileHandle otherHandle(other.readEnd());
    NotificationCounter notifications(handle);
    NotificationCounter otherNotifications(otherHandle);
    handle.waitForDataInBackgroundAndNotify();
    otherHandle.waitForDataInBackgroundAndNotify();
    pipe.write("x");
    ASSERT_TRUE(RunLoop::main().runOnce(5000));
    EXPECT_EQ(notifications.count(), 1);
    EXPECT_EQ(otherNotifications.count(), 0);
}

TEST(FileHandleNotification, DestroyingAnArmedHandleCancelsIt) {
    Pipe pipe;
    int posts = 0;
    auto token = NotificationCenter::defaultCenter().addObserverForName(
        std::string(FileHandle::DataAvailableNotification), nullptr,
        [&](const foundation::Notification&) { ++posts; });
    {
        FileHandle handle(pipe.readEnd());
        handle.waitForDataInBackgroundAndNotify();
    }
    pipe.write("x");
    EXPECT_FALSE(RunLoop::main().runOnce(0));
    EXPECT_EQ(posts, 0);
    NotificationCenter::defaultCenter().removeObserver(token);
}

// Pieces larger than the pipe go out whole and in order, and the reader gets all of them.
TEST(FileHandleStreams, PiecesLargerThanThePipeArriveWholeAndInOrder) {
    Pipe pipe;
    FileHandle handle(pipe.readEnd());
    std::string header = "header:";
    std::string first = patterned(300 * 1024 + 3, 'A');
    std::string second = patterned(1024 * 1024 + 5, 'a');
    std::thread writer([&] {
        FileHandle out(pipe.writeEnd());
        EXPECT_TRUE(out.writeData({ByteView(header), ByteView(first), ByteView(second)}));
        pipe.closeWriteEnd();
    });
    std::string received;
    for (auto data = handle.availableData(); !data.empty(); data = handle.availableData())
        received += ByteView(data);
    writer.join();
    EXPECT_EQ(received.size(), header.size() + first.size() + second.size());
    EXPECT_TRUE(received == header + first + second);
}

TEST(FileHandleWriting, FailsWhenTheReaderHasGone) {
    ScopedSignalDisposition ignoreBrokenPipe(SIGPIPE, SIG_IGN);
    Pipe pipe;
    pipe.closeReadEnd();
    FileHandle handle(pipe.writeEnd());
    EXPECT_FALSE(handle.writeData(ByteView("nobody listens")));
    EXPECT_FALSE(handle.writeData({ByteView("a"), ByteView("b")}));
}

class AppendingHandle : public TemporaryHome {};

TEST_F(AppendingHandle, CreatesAFilePrivateToTheUser) {
    ScopedUmask permissive(0);
    auto path = home() / "log.txt";
    auto handle = FileHandle::forAppendingAtPath(path);
    ASSERT_NE(handle, nullptr);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

TEST_F(AppendingHandle, AppendsAfterWhatOthersWrote) {
    auto path = home() / "log.txt";
    auto first = FileHandle::forAppendingAtPath(path);
    auto second = FileHandle::forAppendingAtPath(path);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(first->writeData(ByteView("1")));
    EXPECT_TRUE(second->writeData(ByteView("22")));
    EXPECT_TRUE(first->writeData(ByteView("333")));
    EXPECT_EQ(readFile(path), "122333");
}

// A FIFO without a reader would block the opening for good; one with a reader, or a device,
// would take lines nobody keeps.
TEST_F(AppendingHandle, RefusesWhatIsNotARegularFileWithoutWaiting) {
    auto lonelyFifo = home() / "lonely";
    auto readFifo = home() / "read";
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

TEST(FileHandleNotification, AnObserverThatReadsAtOnceGetsEveryReadAndTheEnd) {
    Pipe pipe;
    FileHandle handle(pipe.readEnd());
    handle.setObserverReadsAtOnce(true);
    std::string received;
    bool ended = false;
    NotificationCounter notifications(handle, [&] {
        auto data = handle.availableData();
        if (data.empty()) {
            ended = true;
            return;
        }
        received += ByteView(data);
        handle.waitForDataInBackgroundAndNotify();
    });
    handle.waitForDataInBackgroundAndNotify();
    // A writer that is slower than the reader: the observer's read waits for it.
    std::thread writer([&pipe] {
        pipe.write("first ");
        pipe.write("second");
        pipe.closeWriteEnd();
    });
    while (!ended)
        ASSERT_TRUE(RunLoop::main().runOnce(-1));
    writer.join();
    EXPECT_EQ(received, "first second");
    EXPECT_FALSE(RunLoop::main().runOnce(0)) << "nothing should be left armed";
}
