#pragma once

#include "platform/appkit/windows/window.h"

#include <functional>
#include <string>

namespace uisnap {

// The window as text, to read or to diff between runs: a line for the window, then each view
// (class, id, frame and what a control or text field shows) with its layer tree and animations
// indented under it, then the popovers shown in the window with their content the same way.
// Animation times are relative to timeOrigin; whether each still runs is judged at now.
class WindowDescription {
public:
    // An object's id in the interface file, or "" when it has none.
    using IdOf = std::function<std::string(const appkit::Object*)>;

    WindowDescription(IdOf idOf, double timeOrigin, double now)
        : idOf_(std::move(idOf)), timeOrigin_(timeOrigin), now_(now) {}

    std::string describe(appkit::Window& window) const;

private:
    void describeView(const appkit::View& view, int depth, std::string& out) const;
    std::string nameOf(const appkit::Object& object) const;

    IdOf idOf_;
    double timeOrigin_;
    double now_;
};

} // namespace uisnap
