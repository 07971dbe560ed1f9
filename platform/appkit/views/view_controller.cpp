#include "platform/appkit/views/view_controller.h"

#include "platform/appkit/application/bundle.h"
#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/foundation/console_log.h"

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<ViewController>("ViewController")
        .property("view", &ViewController::viewIfLoaded, &ViewController::setView);
});

} // namespace

const std::shared_ptr<View>& ViewController::view() {
    if (!view_) {
        loadView();
        if (!view_)
            view_ = View::make({});
        viewDidLoad();
    }
    return view_;
}

std::string ViewController::nibName() const {
    const ClassInfo* info = Runtime::shared().classOf(*this);
    return info != nullptr ? info->name() : "ViewController";
}

void ViewController::loadView() {
    auto file = Bundle::mainBundle().pathForResource(nibName(), "json");
    if (!file)
        return;
    std::string error;
    if (auto loaded = loadInterfaceFile(*file, shared_from_this(), &error))
        interfaceObjects_ = std::move(loaded->topLevelObjects);
    else
        foundation::consoleLog(error); // a broken file shows as an empty view, and says why here
}

} // namespace appkit
