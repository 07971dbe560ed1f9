#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace appkit {

// What a node is on the accessibility bus.
enum class NodeRole { application, frame, panel, label, pushButton, toolTip };

struct NodeStates {
    bool enabled = true;
    bool focusable = false;
    bool focused = false;
    bool showing = true;
    bool active = false;
};

// Pixels on the screen, from its top left.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// One object of the application as a screen reader sees it: the application, a window, a view, a
// popover. Nodes are made afresh whenever they are asked for; identity() names the object they
// stand for, so the bridge serves one accessible object per identity.
class AccessibleNode {
public:
    virtual ~AccessibleNode() = default;

    virtual const void* identity() const = 0;
    // False once the object it stands for is gone.
    virtual bool exists() const { return true; }
    virtual NodeRole role() const = 0;
    virtual std::string name() const = 0;
    virtual std::string description() const { return {}; }
    virtual NodeStates states() const = 0;
    virtual std::optional<ScreenRect> frameOnScreen() const { return std::nullopt; }
    virtual std::vector<std::unique_ptr<AccessibleNode>> children() const { return {}; }
    // The one action, a press; false when there is none.
    virtual bool hasPress() const { return false; }
    virtual void press() {}
};

} // namespace appkit
