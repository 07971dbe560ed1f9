#pragma once

#include "platform/appkit/runtime.h"
#include "tests/widgets/widget_scene.h"
#include "widgets/flatbutton/flat_button.h"

#include <string>

// Receives a flat button's action and remembers the state it saw.
class ActionReceiver : public appkit::Object {
public:
    void launch(appkit::Object* sender);
    int calls = 0;
    appkit::ControlStateValue stateSeen = -2;
};

// A flat button in a window, pressed through the window's real events.
class FlatButtonScene : public WidgetScene {
protected:
    void SetUp() override;

    // A 16x16 PNG, opaque in its left half only, written to the temporary home.
    quartz::Image halfOpaqueIcon(int size = 16);

    quartz::Point inside() const { return {button->frame().midX(), button->frame().midY()}; }
    quartz::Point outside() const { return {5, 5}; }
    void press() { window()->mouseDownAt(inside()); }
    void release(quartz::Point at) { window()->mouseUpAt(at); }
    void click() {
        press();
        release(inside());
    }

    // The colour a layer key shows now, or some time from now.
    quartz::Color shown(const quartz::Layer& layer, std::string_view key, double later = 0) const;

    std::shared_ptr<FlatButton> button = appkit::View::make<FlatButton>({100, 100, 120, 40});
    std::shared_ptr<ActionReceiver> receiver = std::make_shared<ActionReceiver>();
};
