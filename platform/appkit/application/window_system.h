#pragma once

#include "platform/appkit/windows/window_backend.h"

#include <functional>
#include <optional>
#include <string>

namespace appkit {

enum class WindowSystem { screen, offscreen };

// Decides where windows ordered front from now on appear: on the screen when the program's screen
// back end can open a display, off screen when VANTREL_OFFSCREEN (set and not empty) asks for it
// without trying a display. None, said on standard error, when neither: no window can be shown.
std::optional<WindowSystem> chooseWindowSystem();

// Opens the display of a screen back end and gives the factory of its windows; none, with the
// reason in `why`, when no display can be opened.
using ScreenOpener = std::function<std::optional<WindowBackend::Factory>(std::string& why)>;

// A screen back end makes itself known by defining one of these at namespace scope in its own
// library, so that only the programs that link it load its window system.
class ScreenRegistration {
public:
    explicit ScreenRegistration(ScreenOpener opener);
};

} // namespace appkit
