#pragma once

#include "host/log.h"
#include "platform/foundation/folder_changes.h"

#include <memory>
#include <optional>
#include <string>

// The "EnableLog" switch of the Documents folder, as Log::current tests it. A host serving a long
// conversation tests it again only when an entry of the folder changed since, so that a read of
// standard input costs no look-up in the file system. Where the folder cannot be watched, or the
// switch is a symbolic link whose target could change unseen, it is tested every time.
class LogSwitch {
public:
    // A one-shot request reads twice (the request, then the end of input) and ends. A watch would
    // cost it more than it saves: dropping one makes the kernel wait for a grace period.
    static constexpr int testsBeforeWatching = 2;

    explicit LogSwitch(std::optional<std::string> documentsDirectory)
        : documentsDirectory_(std::move(documentsDirectory)) {}

    Log current();

private:
    bool needsTesting();
    bool switchIsSymbolicLink() const;

    std::optional<std::string> documentsDirectory_;
    std::unique_ptr<foundation::FolderChanges> changes_;
    std::optional<Log> last_;
    int unwatchedTests_ = 0;
    bool watchTried_ = false;
    bool switchIsLink_ = false;
};
