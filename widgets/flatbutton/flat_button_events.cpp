#include "widgets/flatbutton/flat_button.h"

using namespace appkit;

// A press turns the button on at once; the release sends the action (and turns a momentary
// button off again); leaving while pressed takes the press back.
void FlatButton::mouseDown(const Event&) {
    if (!isEnabled())
        return;
    mouseDown_ = true;
    toggle();
}

void FlatButton::mouseUp(const Event&) {
    if (!mouseDown_)
        return;
    mouseDown_ = false;
    if (momentary_)
        toggle();
    // The receiver may close the window and with it the last owner of this button.
    auto self = shared_from_this();
    if (auto receiver = target())
        sendAction(action(), receiver);
}

void FlatButton::mouseEntered(const Event& event) {
    QvCustomTooltipButton::mouseEntered(event);
    if (mouseDown_)
        toggle();
}

void FlatButton::mouseExited(const Event& event) {
    QvCustomTooltipButton::mouseExited(event);
    if (mouseDown_) {
        toggle();
        mouseDown_ = false;
    }
}
