#pragma once

#include "host/log.h"
#include "platform/foundation/folder_changes.h"

#include <memory>
#include <optional>
#include <string>

// The "EnableLog" switch of the Documents folder, as Log::current tests it. Once asked to watch
// the folder, it tests the switch again only when an entry of the folder changed since, so that a
// read of standard input costs no look-up in the file system. Where the folder cannot be watched,
// or the switch is a symbolic link whose target could change unseen, it is tested every time.
class LogSwitch {
public:
    explicit LogSwitch(std::optional<std::string> documentsDirectory)
        : documentsDirectory_(std::move(documentsDirectory)) {}

    // Valid until the next call.
    Log& current();
    // Worth it for a long conversation only: dropping a watch makes the kernel wait for a grace
    // period, which would cost a one-shot request more than the look-ups it saves.
    void watchFolder() { wantsWatch_ = true; }

private:
    bool needsTesting();
    bool switchIsSymbolicLink() const;

    std::optional<std::string> documentsDirectory_;
    std::unique_ptr<foundation::FolderChanges> changes_;
    std::optional<Log> last_;
    bool wantsWatch_ = false;
    bool watchTried_ = false;
    bool switchIsLink_ = false;
};
