#include "platform/appkit/views/control.h"

#include "platform/appkit/interface/coder.h"
#include "platform/appkit/runtime/runtime.h"

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<Control>("Control", "View")
        .property("target", &Control::target, &Control::setTarget)
        .property("action", &Control::action, &Control::setAction);
});

} // namespace

bool Control::initWithCoder(const Coder& coder) {
    if (!View::initWithCoder(coder))
        return false;
    if (auto font = Font::decode(coder, "font"))
        setFont(font);
    if (auto enabled = coder.decodeBool("enabled"))
        setEnabled(*enabled);
    return !coder.error();
}

bool Control::sendAction(const std::string& action, const std::shared_ptr<Object>& target) {
    if (!target || action.empty())
        return false;
    return appkit::sendAction(action, *target, this);
}

void Control::setEnabled(bool enabled) {
    enabled_ = enabled;
    setNeedsDisplay();
}

void Control::setFont(std::optional<Font> font) {
    font_ = std::move(font);
    setNeedsLayout(true);
    setNeedsDisplay();
}

} // namespace appkit
