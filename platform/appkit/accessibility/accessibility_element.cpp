#include "platform/appkit/accessibility/accessibility_element.h"

namespace appkit {

namespace {

AccessibilityObserver& observer() {
    static AccessibilityObserver installed;
    return installed;
}

} // namespace

void accessibilityPostNotification(const AccessibilityElement& element,
                                   AccessibilityNotification notification) {
    if (auto& notify = observer())
        notify(element, notification);
}

void setAccessibilityObserver(AccessibilityObserver installed) {
    observer() = std::move(installed);
}

} // namespace appkit
