#pragma once

#include "platform/foundation/scoped_descriptor.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace foundation {

// Whether the entries of a folder changed (made, removed, renamed, their attributes changed)
// since it was last asked. The kernel queues each change as it is made, so the answer is exact
// and asking costs no look-up in the file system; it also signals the process (SIGIO), so that
// while nothing changed, asking costs no system call either.
class FolderChanges {
public:
    // None when the folder cannot be watched: it is missing, is a symbolic link (whose folder
    // could change unseen), or the system's limit on watches is reached.
    static std::unique_ptr<FolderChanges> watch(const std::string& folder);
    FolderChanges(const FolderChanges&) = delete;
    FolderChanges& operator=(const FolderChanges&) = delete;

    // Always true once the folder itself was removed or renamed, or the watch failed: from then
    // on nothing can be told.
    bool changedSinceLastAsked();

private:
    explicit FolderChanges(int descriptor) : descriptor_(descriptor) {}
    bool signalArrived();
    // Reads the queued changes; false when the watch no longer holds.
    bool drain(bool& changed);

    ScopedDescriptor descriptor_;
    bool signalled_ = false;
    std::optional<std::uint32_t> signalsSeen_; // the first question reads the queue
    bool blind_ = false;
};

} // namespace foundation
