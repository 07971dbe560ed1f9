#pragma once

#include "host/log.h"
#include "platform/foundation/folder_changes.h"

#include <memory>
#include <optional>
#include <string>

// The "EnableLog" switch of the Documents folder, as Log::current tests it, tested again only
// when an entry of the folder changed since: a read of standard input then costs no look-up in
// the file system. Where the folder cannot be watched, or the switch is a symbolic link whose
// target could change unseen, it is tested every time.
class LogSwitch {
public:
    explicit LogSwitch(std::optional<std::string> documentsDirectory)
        : documentsDirectory_(std::move(documentsDirectory)) {}

    Log current();

private:
    bool needsTestingAgain();
    bool switchIsSymbolicLink() const;

    std::optional<std::string> documentsDirectory_;
    std::unique_ptr<foundation::FolderChanges> changes_;
    std::optional<Log> last_;
    bool testsEveryTime_ = false;
};
