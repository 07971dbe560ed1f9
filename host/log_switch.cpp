#include "host/log_switch.h"

#include "platform/foundation/file_manager.h"

using namespace foundation;

Log& LogSwitch::current() {
    if (needsTesting()) {
        last_ = Log::current(documentsDirectory_);
        switchIsLink_ = changes_ && switchIsSymbolicLink();
    }
    return *last_;
}

bool LogSwitch::needsTesting() {
    if (changes_)
        return switchIsLink_ || changes_->changedSinceLastAsked();
    if (wantsWatch_ && !watchTried_ && documentsDirectory_) {
        // Watched before this test, so that no change can fall between the two.
        changes_ = FolderChanges::watch(*documentsDirectory_);
        watchTried_ = true;
    }
    return true;
}

bool LogSwitch::switchIsSymbolicLink() const {
    return FileManager::defaultManager().isSymbolicLinkAtPath(Log::switchPath(*documentsDirectory_));
}
