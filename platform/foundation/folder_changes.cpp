#include "platform/foundation/folder_changes.h"

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>

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

} // namespace

std::unique_ptr<FolderChanges> FolderChanges::watch(const std::string& folder) {
    int descriptor = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    std::unique_ptr<FolderChanges> changes(new FolderChanges(descriptor));
    constexpr std::uint32_t mask = entryChanges | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;
    if (::inotify_add_watch(descriptor, folder.c_str(), mask) < 0)
        return nullptr;
    return changes;
}

bool FolderChanges::changedSinceLastAsked() {
    bool changed = false;
    if (!blind_ && !drain(changed))
        blind_ = true;
    return changed || blind_;
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
