#pragma once

#include "platform/appkit/accessibility/accessible_node.h"

#include <memory>
#include <string>

namespace appkit {

class Application;
class Popover;
class View;
class Window;

// The application: named by its program, its windows as children.
std::unique_ptr<AccessibleNode> applicationNode(std::string programName);
// A window, named by its title; its views and the popovers shown for them as children.
std::unique_ptr<AccessibleNode> windowNode(const std::shared_ptr<Window>& window);
// A view as it describes itself (AccessibilityElement), else a panel of its subviews.
std::unique_ptr<AccessibleNode> viewNode(const std::shared_ptr<View>& view);
// A shown popover: a tooltip named by its text.
std::unique_ptr<AccessibleNode> popoverNode(const std::shared_ptr<Popover>& popover);

} // namespace appkit
