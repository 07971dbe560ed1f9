#pragma once

#include "platform/appkit/runtime/object.h"
#include "platform/appkit/views/event.h"

#include <memory>

namespace appkit {

// Something that handles events. What a responder does not handle goes to its next responder
// (for a view, its superview).
class Responder : public Object {
public:
    virtual Responder* nextResponder() const { return nullptr; }

    virtual void mouseDown(const Event& event) { passOn(&Responder::mouseDown, event); }
    virtual void mouseUp(const Event& event) { passOn(&Responder::mouseUp, event); }
    virtual void mouseDragged(const Event& event) { passOn(&Responder::mouseDragged, event); }
    virtual void mouseEntered(const Event& event) { passOn(&Responder::mouseEntered, event); }
    virtual void mouseExited(const Event& event) { passOn(&Responder::mouseExited, event); }

private:
    void passOn(void (Responder::*handler)(const Event&), const Event& event) {
        if (Responder* next = nextResponder())
            (next->*handler)(event);
    }
};

} // namespace appkit
