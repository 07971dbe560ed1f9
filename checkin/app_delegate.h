#pragma once

#include "platform/appkit/application/application.h"

// Brings the launcher to the front once it has started, and ends it with its last window.
class AppDelegate : public appkit::Object, public appkit::ApplicationDelegate {
public:
    void applicationDidFinishLaunching(const foundation::Notification& notification) override;
    void applicationWillTerminate(const foundation::Notification& notification) override;
    bool applicationShouldTerminateAfterLastWindowClosed(appkit::Application& application) override;
};
