#include "checkin/app_delegate.h"

#include "platform/appkit/runtime/runtime.h"

namespace {

const appkit::ClassRegistration registration([](appkit::Runtime& runtime) {
    runtime.registerClass<AppDelegate>("AppDelegate");
});

} // namespace

void AppDelegate::applicationDidFinishLaunching(const foundation::Notification&) {
    appkit::Application::shared()->activateIgnoringOtherApps(true);
}

void AppDelegate::applicationWillTerminate(const foundation::Notification&) {}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed(appkit::Application&) {
    return true;
}
