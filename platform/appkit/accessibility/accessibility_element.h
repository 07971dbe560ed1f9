#pragma once

#include <functional>
#include <string>

namespace appkit {

class View;

// What an element is to an assistive technology, after the platform's role names.
enum class AccessibilityRole { group, staticText, button };

// How a view describes itself to assistive technologies (screen readers), after the platform's
// NSAccessibility protocol. A view that does not adopt it is a plain group of its subviews; its
// frame, parent and children come from the view itself.
class AccessibilityElement {
public:
    virtual ~AccessibilityElement() = default;

    virtual AccessibilityRole accessibilityRole() const = 0;
    // What the element is called: a label's text, a button's title.
    virtual std::string accessibilityLabel() const { return {}; }
    // A hint that says more, such as a tooltip.
    virtual std::string accessibilityHelp() const { return {}; }
    virtual bool isAccessibilityEnabled() const { return true; }
    virtual bool isAccessibilityFocusable() const { return false; }
    virtual bool isAccessibilityFocused() const { return false; }
    // Does what a click does, through the same handling; false when the element has no press.
    virtual bool accessibilityPerformPress() { return false; }
};

// What changed about an element, for listening assistive technologies.
enum class AccessibilityNotification { titleChanged, valueChanged, enabledChanged, focusedChanged };

// Tells the listening bridge, if there is one, that an element changed.
void accessibilityPostNotification(const AccessibilityElement& element,
                                   AccessibilityNotification notification);

// The one bridge to assistive technologies installs itself here; an empty function removes it.
using AccessibilityObserver = std::function<void(const AccessibilityElement&, AccessibilityNotification)>;
void setAccessibilityObserver(AccessibilityObserver observer);

} // namespace appkit
