#pragma once

#include "platform/appkit/runtime/object.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace uisnap {

// An action target for interface files (class ActionRecorder): prints one line per action it
// receives on standard output, so that a script can check how many actions were sent, in which
// order, by whom, and with which state and title:
//   action launch: sender=button state=0 title="Open Vantrel" t=0.35
class ActionRecorder : public appkit::Object {
public:
    // An object's id in the interface file, or "" when it has none.
    using IdOf = std::function<std::string(const appkit::Object*)>;

    // Makes the class answer every action the interface file connects, whatever its name, before
    // the file is loaded: the loader accepts only targets that answer their action.
    static void answerActionsOf(const std::filesystem::path& interfaceFile);

    // Names senders by their ids and times from the origin (seconds on the current clock).
    void attach(IdOf idOf, double timeOrigin);
    void record(std::string_view action, appkit::Object* sender) const;

private:
    IdOf idOf_;
    double timeOrigin_ = 0;
};

} // namespace uisnap
