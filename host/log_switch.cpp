#include "host/log_switch.h"

#include "platform/foundation/file_manager.h"

using namespace foundation;

Log LogSwitch::current() {
    if (!last_ || needsTestingAgain()) {
        // Watched before the first test, so that no change can fall between the two.
        if (!last_ && documentsDirectory_)
            changes_ = FolderChanges::watch(*documentsDirectory_);
        last_ = Log::current(documentsDirectory_);
        testsEveryTime_ = documentsDirectory_ && (!changes_ || switchIsSymbolicLink());
    }
    return *last_;
}

bool LogSwitch::needsTestingAgain() {
    return testsEveryTime_ || (changes_ && changes_->changedSinceLastAsked());
}

bool LogSwitch::switchIsSymbolicLink() const {
    std::string path = *documentsDirectory_ + "/" + std::string(Log::switchName);
    return FileManager::defaultManager().isSymbolicLinkAtPath(path);
}
