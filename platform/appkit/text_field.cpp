#include "platform/appkit/text_field.h"

#include "platform/appkit/coder.h"
#include "platform/appkit/runtime.h"

namespace appkit {

namespace {

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<TextField>("TextField", "Control");
});

} // namespace

bool TextField::initWithCoder(const Coder& coder) {
    if (!Control::initWithCoder(coder))
        return false;
    if (auto wraps = coder.decodeBool("wraps"))
        setWraps(*wraps);
    if (auto string = coder.decodeString("string"))
        setStringValue(*string);
    return !coder.error();
}

void TextField::setStringValue(const std::string& string) {
    AttributedString plain;
    plain.string = string;
    setAttributedStringValue(plain);
}

void TextField::setAttributedStringValue(const AttributedString& string) {
    attributedString_ = string;
    setNeedsDisplay();
}

void TextField::setWraps(bool wraps) {
    wraps_ = wraps;
    setNeedsDisplay();
}

} // namespace appkit
