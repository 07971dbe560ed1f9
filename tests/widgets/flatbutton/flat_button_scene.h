#pragma once

#include "tests/widgets/widget_scene.h"
#include "widgets/flatbutton/flat_button.h"

// A flat button in a window.
class FlatButtonScene : public WidgetScene {
protected:
    void SetUp() override;

    // A square PNG, opaque in its left half only, written to the temporary home.
    quartz::Image halfOpaqueIcon(int size = 16);

    std::shared_ptr<FlatButton> button = appkit::View::make<FlatButton>({100, 100, 120, 40});
};
