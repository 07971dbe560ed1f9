#pragma once

#include "platform/appkit/views/view_controller.h"

#include <optional>
#include <string>

// The launcher window's controller. Its one action hands the application path to the manager
// application named by the manager's configuration file and, once the manager has started, ends
// the process.
class CheckInRequiredController : public appkit::ViewController {
public:
    // Reads the configuration afresh; does nothing while it lacks "last_opened" or
    // "last_known_path", and says why on standard error when the manager cannot be started, so the
    // action can be tried again later.
    void launch(appkit::Object* sender);
    // The product's support folder: the user's Application Support folder plus "Vantrel".
    std::optional<std::string> getAppBundle() const;

protected:
    // Where the process ends after a hand-off; tests replace it.
    virtual void exitProcess(int status);
};
