#include "platform/foundation/folder_changes.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace foundation {

namespace {

constexpr std::uint32_t entryChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;
constexpr std::uint32_t folderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

// Whether any of the events read says the watch is over.
bool endsTheWatch(const char* events, std::size_t size) {
    for (std::size_t offset = 0; offset + sizeof(inotify_event) <= size;) {
        inotify_event event;
        std::memcpy(&event, events + offset, sizeof event);
        if (event.mask & folderGone)
            return true;
        offset += sizeof(inotify_event) + event.len;
    }
    return false;
}

// The kernel's signals that a watched folder changed, counted. They are not told apart: a watch
// that did not change then only finds its queue empty once.
std::atomic<std::uint32_t> changeSignals{0};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

void countChangeSignal(int) {
    changeSignals.fetch_add(1, std::memory_order_relaxed);
}

// The handler stays once installed, as a descriptor may signal until it is closed. A program that
// handles or blocks SIGIO itself keeps it, and its watches are asked on every question instead.
bool changeSignalsReachThisThread() {
    sigset_t blocked;
    if (::pthread_sigmask(SIG_BLOCK, nullptr, &blocked) != 0 || sigismember(&blocked, SIGIO))
        return false;
    struct sigaction current {};
    if (::sigaction(SIGIO, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO))
        return false;
    if (current.sa_handler == countChangeSignal)
        return true;
    if (current.sa_handler != SIG_DFL)
        return false;
    struct sigaction counting {};
    counting.sa_handler = countChangeSignal;
    counting.sa_flags = SA_RESTART; // a blocking read goes on where it was
    sigemptyset(&counting.sa_mask);
    return ::sigaction(SIGIO, &counting, nullptr) == 0;
}

bool signalChanges(int descriptor) {
    if (!changeSignalsReachThisThread())
        return false;
    int flags = ::fcntl(descriptor, F_GETFL);
    return flags >= 0 && ::fcntl(descriptor, F_SETOWN, ::getpid()) == 0 &&
           ::fcntl(descriptor, F_SETFL, flags | O_ASYNC) == 0;
}

} // namespace

std::unique_ptr<FolderChanges> FolderChanges::watch(const std::string& folder) {
    int descriptor = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    std::unique_ptr<FolderChanges> changes(new FolderChanges(descriptor));
    constexpr std::uint32_t mask = entryChanges | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;
    if (::inotify_add_watch(descriptor, folder.c_str(), mask) < 0)
        return nullptr;
    changes->signalled_ = signalChanges(descriptor);
    return changes;
}

bool FolderChanges::changedSinceLastAsked() {
    if (signalled_ && !blind_ && !signalArrived())
        return false;
    bool changed = false;
    if (!blind_ && !drain(changed))
        blind_ = true;
    return changed || blind_;
}

// Taken before the queue is read: a change queued after this look signals again.
bool FolderChanges::signalArrived() {
    std::uint32_t signals = changeSignals.load(std::memory_order_relaxed);
    std::atomic_signal_fence(std::memory_order_acquire);
    bool arrived = !signalsSeen_ || *signalsSeen_ != signals;
    signalsSeen_ = signals;
    return arrived;
}

bool FolderChanges::drain(bool& changed) {
    alignas(inotify_event) char events[4096];
    for (;;) {
        ssize_t count = ::read(descriptor_.get(), events, sizeof events);
        if (count > 0) {
            changed = true;
            if (endsTheWatch(events, static_cast<std::size_t>(count)))
                return false;
        } else if (count < 0 && errno == EAGAIN) {
            return true;
        } else if (count == 0 || errno != EINTR) {
            return false;
        }
    }
}

} // namespace foundation
