#include "checkin/check_in_required_controller.h"

#include "platform/appkit/runtime/runtime.h"
#include "platform/foundation/console_log.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/url.h"
#include "platform/preferences/property_list_reader.h"
#include "platform/preferences/user_defaults.h"
#include "platform/workspace/application_launch.h"

#include <cstdlib>
#include <vector>

namespace {

const appkit::ClassRegistration registration([](appkit::Runtime& runtime) {
    runtime.registerClass<CheckInRequiredController>("CheckInRequiredController", "ViewController")
        .action("launch:", &CheckInRequiredController::launch);
});

std::string appendingPathComponent(const std::string& path, const std::string& component) {
    return path.empty() || path.back() == '/' ? path + component : path + "/" + component;
}

} // namespace

std::optional<std::string> CheckInRequiredController::getAppBundle() const {
    auto folders = foundation::SearchPathForDirectoriesInDomains(
        foundation::SearchPathDirectory::applicationSupportDirectory,
        foundation::SearchPathDomainMask::userDomainMask, true);
    if (folders.empty())
        return std::nullopt;
    return appendingPathComponent(folders.front(), "Vantrel");
}

void CheckInRequiredController::launch(appkit::Object*) {
    auto folder = getAppBundle();
    auto config = folder ? foundation::dictionaryWithContentsOfFile(appendingPathComponent(*folder, "config"))
                         : std::nullopt;
    if (!config || !config->contains("last_opened"))
        return;
    auto lastKnownPath = config->find("last_known_path");
    if (lastKnownPath == config->end())
        return;
    // An entry that is no path names no manager: like a missing one, it leaves the window for a
    // later try rather than ending the launcher with nothing started.
    const std::string* managerPath = lastKnownPath->second.text();
    if (!managerPath || managerPath->empty())
        return;
    auto url = foundation::URL::fileURLWithPath(*managerPath);

    std::vector<std::string> arguments{"checkInRequired"};
    auto appPath = foundation::UserDefaults::standardUserDefaults().valueForKey("apppath");
    if (const std::string* stored = appPath ? appPath->text() : nullptr)
        arguments.push_back(*stored);
    std::string error;
    if (!foundation::launchApplication(url, arguments, &error)) {
        // As with a missing configuration, the window stays so the user can try again.
        foundation::consoleLog(error);
        return;
    }
    exitProcess(0);
}

void CheckInRequiredController::exitProcess(int status) {
    std::exit(status);
}
