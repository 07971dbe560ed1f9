#include "platform/foundation/file_handle.h"

#include "platform/foundation/notification_center.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace foundation {

namespace {

// A pipe holds 64 KiB by default, so one read rarely returns more.
constexpr std::size_t readSize = std::size_t{64} * 1024;

void waitUntilReadable(int fd) {
    pollfd descriptor{fd, POLLIN, 0};
    while (::poll(&descriptor, 1, -1) < 0 && errno == EINTR) {
    }
}

// Writes every byte of the vectors (size in all), finishing a piece that was only partly written.
bool writeAll(int fd, iovec* vectors, std::size_t count, std::size_t size) {
    std::size_t next = 0;
    for (;;) {
        ssize_t written = ::writev(fd, vectors + next, static_cast<int>(count - next));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd descriptor{fd, POLLOUT, 0};
                ::poll(&descriptor, 1, -1);
                continue;
            }
            return false;
        }
        auto remaining = static_cast<std::size_t>(written);
        if (remaining == size)
            return true; // the usual case: everything at once
        size -= remaining;
        while (remaining >= vectors[next].iov_len)
            remaining -= vectors[next++].iov_len;
        vectors[next].iov_base = static_cast<char*>(vectors[next].iov_base) + remaining;
        vectors[next].iov_len -= remaining;
    }
}

} // namespace

// The standard handles live until the process ends, outliving the run loop they may be armed on.
FileHandle& FileHandle::standardInput() {
    static auto* handle = new FileHandle(STDIN_FILENO);
    return *handle;
}

FileHandle& FileHandle::standardOutput() {
    static auto* handle = new FileHandle(STDOUT_FILENO);
    return *handle;
}

// Opening never waits (a FIFO without a reader would block for good), and anything but a regular
// file is refused: a FIFO or a device could stall or swallow every write after it.
std::unique_ptr<FileHandle> FileHandle::forAppendingAtPath(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0)
        return nullptr;
    auto handle = std::make_unique<FileHandle>(fd, true);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    return handle;
}

void FileHandle::failWritesToClosedPipes() {
    ::signal(SIGPIPE, SIG_IGN);
}

FileHandle::FileHandle(int fd, bool closesOnDestruction)
    : fd_(fd), closesOnDestruction_(closesOnDestruction) {}

FileHandle::~FileHandle() {
    if (watch_)
        RunLoop::main().removeWatch(*watch_);
    if (closesOnDestruction_)
        ::close(fd_);
}

bool FileHandle::isTerminal() const {
    return ::isatty(fd_) == 1;
}

// The watch stays for the handle's life, suspended between a notification and the next wait.
void FileHandle::waitForDataInBackgroundAndNotify() {
    RunLoop& loop = RunLoop::main();
    if (watch_ && loop.resumeWatch(*watch_))
        return;
    auto readiness = observerReadsAtOnce_ ? RunLoop::Readiness::awaitedByHandler : RunLoop::Readiness::polled;
    watch_ = loop.addReadabilityWatch(
        fd_, [this] { notifyDataAvailable(); }, RunLoop::Lifetime::keepsLoopRunning, readiness);
}

void FileHandle::notifyDataAvailable() {
    RunLoop::main().suspendWatch(*watch_);
    NotificationCenter::defaultCenter().postNotificationName(DataAvailableNotification, this);
}

Data FileHandle::availableData() {
    // A read usually brings a few bytes: only those are copied, and nothing is cleared first.
    if (!readBuffer_)
        readBuffer_.reset(new char[readSize]);
    std::size_t count = availableData(std::span<char>(readBuffer_.get(), readSize));
    return Data(readBuffer_.get(), count);
}

std::size_t FileHandle::availableData(std::span<char> into) {
    if (into.empty())
        return 0;
    for (;;) {
        ssize_t count = ::read(fd_, into.data(), into.size());
        if (count >= 0)
            return static_cast<std::size_t>(count);
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            waitUntilReadable(fd_);
        else if (errno != EINTR)
            return 0; // a descriptor that cannot be read has nothing more to give
    }
}

bool FileHandle::writeData(std::span<const ByteView> pieces) {
    // Gathered in small batches on the stack: a reply is a few pieces.
    constexpr std::size_t batchSize = 8;
    iovec batch[batchSize];
    while (!pieces.empty()) {
        std::size_t count = 0;
        std::size_t size = 0;
        for (; count < batchSize && count < pieces.size(); ++count) {
            batch[count] = {const_cast<char*>(pieces[count].data()), pieces[count].size()};
            size += pieces[count].size();
        }
        if (size > 0 && !writeAll(fd_, batch, count, size))
            return false;
        pieces = pieces.subspan(count);
    }
    return true;
}

} // namespace foundation
