#include "platform/appkit/views/toolbar_item.h"

#include "platform/appkit/runtime/runtime.h"

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<ToolbarItem>("ToolbarItem")
        .property("view", &ToolbarItem::view, &ToolbarItem::setView);
});

} // namespace

} // namespace appkit
