#pragma once

#include "platform/appkit/runtime/responder.h"
#include "platform/foundation/notification_center.h"

#include <memory>
#include <vector>

namespace appkit {

class Application;
class Window;

// What the application asks its delegate.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching(const foundation::Notification&) {}
    virtual void applicationWillTerminate(const foundation::Notification&) {}
    virtual bool applicationShouldTerminateAfterLastWindowClosed(Application&) { return false; }
};

// The one application object. It keeps the main interface file's objects alive, knows the
// windows, and ends the process when its delegate wants that after the last window closed.
class Application : public Responder {
public:
    static constexpr std::string_view didFinishLaunchingNotification =
        "NSApplicationDidFinishLaunchingNotification";
    static constexpr std::string_view willTerminateNotification = "NSApplicationWillTerminateNotification";

    static const std::shared_ptr<Application>& shared();

    // The delegate is not owned; the interface file that creates it keeps it.
    std::shared_ptr<Object> delegate() const { return delegate_.lock(); }
    void setDelegate(std::shared_ptr<Object> delegate) { delegate_ = delegate; }

    // Brings the shown windows to the front, the key window last, so that it has the focus.
    void activateIgnoringOtherApps(bool ignoringOtherApps);
    bool isActive() const { return active_; }

    const std::vector<std::shared_ptr<Window>>& windows() const { return windows_; }
    void addWindow(std::shared_ptr<Window> window);
    // Called by a window that has closed.
    void windowDidClose(const Window& window);
    void keepAlive(std::vector<std::shared_ptr<Object>> objects);

    // Tells the delegate launching is done.
    void finishLaunching();
    // Tells the delegate, then ends the process with status 0.
    [[noreturn]] void terminate();

private:
    ApplicationDelegate* applicationDelegate() const;

    std::weak_ptr<Object> delegate_;
    bool active_ = false;
    std::vector<std::shared_ptr<Window>> windows_;
    std::vector<std::shared_ptr<Object>> interfaceObjects_;
};

// Chooses where windows appear (chooseWindowSystem), loads "Main.json" from the main bundle's
// resources for the application, shows its windows, finishes launching and runs the main run loop. Returns a
// non-zero status when the file cannot be loaded or a window cannot be shown (after saying why on standard
// error), 0 when the loop runs out of work.
int applicationMain(int argc, char** argv);

} // namespace appkit
