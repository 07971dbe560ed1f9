#include "platform/appkit/accessibility/accessibility_bridge.h"

#include "platform/appkit/accessibility/accessibility_element.h"
#include "platform/appkit/accessibility/appkit_nodes.h"
#include "platform/appkit/accessibility/atk_accessible.h"
#include "platform/appkit/accessibility/atk_root.h"
#include "platform/appkit/accessibility/glib_main_context_source.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/views/view.h"
#include "platform/foundation/run_loop.h"

#include <atk-bridge.h>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace appkit {

namespace {

bool bridgeIsWanted() {
    const char* off = std::getenv("NO_AT_BRIDGE");
    return off == nullptr || std::string_view(off) != "1";
}

// Without an address libdbus would try to start a session bus of its own.
bool sessionBusIsThere() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && address[0] != '\0')
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    return runtime != nullptr && std::filesystem::is_socket(std::filesystem::path(runtime) / "bus", error);
}

void tellTheBus(const AccessibilityElement& element, AccessibilityNotification notification) {
    auto* view = dynamic_cast<const View*>(&element);
    AtkObject* object = view != nullptr ? servedAtkObject(view) : nullptr;
    if (object == nullptr)
        return; // no screen reader has seen it yet: nothing to bring up to date
    switch (notification) {
    case AccessibilityNotification::titleChanged:
    case AccessibilityNotification::valueChanged:
        g_object_notify(G_OBJECT(object), "accessible-name");
        break;
    case AccessibilityNotification::enabledChanged:
        atk_object_notify_state_change(object, ATK_STATE_ENABLED, element.isAccessibilityEnabled());
        atk_object_notify_state_change(object, ATK_STATE_SENSITIVE, element.isAccessibilityEnabled());
        break;
    case AccessibilityNotification::focusedChanged:
        atk_object_notify_state_change(object, ATK_STATE_FOCUSED, element.isAccessibilityFocused());
        break;
    }
}

} // namespace

bool startAccessibilityBridge(const std::string& programName) {
    if (!bridgeIsWanted() || !sessionBusIsThere())
        return false;
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context))
        return false;
    installAtkRoot(atkObjectFor(applicationNode(std::filesystem::path(programName).filename()), nullptr));
    foundation::RunLoop::main().addWaitSource(std::make_shared<GlibMainContextSource>(context));
    setAccessibilityObserver(tellTheBus);
    return atk_bridge_adaptor_init(nullptr, nullptr) == 0;
}

} // namespace appkit
