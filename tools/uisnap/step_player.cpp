#include "tools/uisnap/step_player.h"

#include "platform/appkit/interface/interface_values.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/views/text_field.h"
#include "platform/foundation/json.h"
#include "widgets/tooltip/qv_custom_help_popover.h"

namespace uisnap {

namespace {

using Kind = ScriptStep::Kind;

std::string at(const ScriptStep& step, int wordAfterFirst, std::string_view word) {
    return "script line " + std::to_string(step.line) + ", word " +
           std::to_string(step.word + wordAfterFirst) + " (\"" + std::string(word) + "\"): ";
}

bool namesAnObject(Kind kind) {
    return kind == Kind::popover || kind == Kind::set || kind == Kind::frame || kind == Kind::title ||
           kind == Kind::state || kind == Kind::enable;
}

// Whether the object can take the step, and what it must be when it cannot.
std::optional<std::string> kindFaultOf(Kind kind, const appkit::Object& object) {
    bool isView = dynamic_cast<const appkit::View*>(&object) != nullptr;
    switch (kind) {
    case Kind::popover:
    case Kind::frame:
        return isView ? std::nullopt : std::optional<std::string>("is not a view");
    case Kind::title:
        return dynamic_cast<const appkit::Button*>(&object) ||
                       dynamic_cast<const appkit::TextField*>(&object) ||
                       dynamic_cast<const appkit::Window*>(&object)
                   ? std::nullopt
                   : std::optional<std::string>("is not a button, text field or window");
    case Kind::state:
        return dynamic_cast<const appkit::Button*>(&object) ? std::nullopt
                                                            : std::optional<std::string>("is not a button");
    case Kind::enable:
        return dynamic_cast<const appkit::Control*>(&object) ? std::nullopt
                                                             : std::optional<std::string>("is not a control");
    default:
        return std::nullopt;
    }
}

} // namespace

StepPlayer::StepPlayer(const appkit::LoadedInterface& loaded, std::filesystem::path interfaceFile,
                       std::filesystem::path resources, PlayedWindow& played)
    : loaded_(loaded), interfaceFile_(std::move(interfaceFile)), resources_(std::move(resources)),
      played_(played) {}

bool StepPlayer::check(const std::vector<ScriptStep>& steps, std::string* error) {
    for (const auto& step : steps) {
        if (auto fault = faultOf(step)) {
            *error = *fault;
            return false;
        }
    }
    return true;
}

std::optional<std::string> StepPlayer::faultOf(const ScriptStep& step) {
    if (step.kind == Kind::snap) {
        auto folder = std::filesystem::path(step.text).parent_path();
        std::error_code ignored;
        if (!folder.empty() && !std::filesystem::is_directory(folder, ignored))
            return at(step, 1, step.text) + "there is no folder " + folder.string();
        return std::nullopt;
    }
    if (!namesAnObject(step.kind))
        return std::nullopt;
    auto object = loaded_.objectWithId(step.target);
    if (!object)
        return at(step, 1, step.target) + interfaceFile_.string() + " has no object \"" + step.target + "\"";
    if (auto fault = kindFaultOf(step.kind, *object))
        return at(step, 1, step.target) + "\"" + step.target + "\" " + *fault;
    if (step.kind == Kind::set)
        return setFaultOf(step, *object);
    return std::nullopt;
}

std::optional<std::string> StepPlayer::setFaultOf(const ScriptStep& step, const appkit::Object& object) {
    const auto* info = appkit::Runtime::shared().classOf(object);
    if (info == nullptr || info->property(step.name) == nullptr)
        return at(step, 2, step.name) + "\"" + step.target + "\" has no property \"" + step.name + "\"";
    std::string fault;
    if (!valueOf(step, fault))
        return at(step, 3, step.text) + fault;
    return std::nullopt;
}

std::optional<appkit::PropertyValue> StepPlayer::valueOf(const ScriptStep& step, std::string& fault) {
    auto object = loaded_.objectWithId(step.target);
    const auto* property = appkit::Runtime::shared().classOf(*object)->property(step.name);
    std::string text = step.text; // parsed in place
    auto json = foundation::JSONSerialization::JSONObjectInPlace(
        text.data(), text.size(), foundation::JSONSerialization::fragmentsAllowed);
    if (!json) {
        fault = "not JSON";
        return std::nullopt;
    }
    appkit::InterfaceValueReader reader(resources_,
                                        [this](std::string_view id) { return loaded_.objectWithId(id); });
    return reader.read(*json, property->kind, fault);
}

bool StepPlayer::play(const ScriptStep& step, std::string* error) {
    auto& backend = played_.backend();
    switch (step.kind) {
    case Kind::move:
        backend.moveTo({step.numbers[0], step.numbers[1]});
        break;
    case Kind::down:
        backend.press();
        break;
    case Kind::up:
        backend.release();
        break;
    case Kind::leave:
        backend.leave();
        break;
    case Kind::wait:
        played_.pass(step.numbers[0]);
        return true;
    case Kind::key:
        played_.window().keyDown(step.name, step.modifiers);
        played_.window().keyUp(step.name);
        break;
    case Kind::keyDown:
        played_.window().keyDown(step.name, step.modifiers);
        break;
    case Kind::keyUp:
        played_.window().keyUp(step.name);
        break;
    case Kind::deactivate:
        played_.window().resignKeyWindow();
        break;
    case Kind::activate:
        played_.window().makeKeyWindow();
        break;
    case Kind::scale:
        played_.window().setBackingScaleFactor(step.numbers[0]);
        played_.window().setViewsNeedDisplay(true);
        break;
    case Kind::snap:
        return played_.snapshot(step.text, error);
    default:
        playOnObject(step, loaded_.objectWithId(step.target));
        break;
    }
    played_.turn();
    return true;
}

void StepPlayer::playOnObject(const ScriptStep& step, const std::shared_ptr<appkit::Object>& object) {
    switch (step.kind) {
    case Kind::popover:
        QvCustomHelpPopover::sharedManager()->showForView(object);
        break;
    case Kind::set: {
        std::string fault;
        if (auto value = valueOf(step, fault))
            appkit::setValueForKey(*object, step.name, *value);
        break;
    }
    case Kind::frame:
        std::static_pointer_cast<appkit::View>(object)->setFrame(
            {step.numbers[0], step.numbers[1], step.numbers[2], step.numbers[3]});
        break;
    case Kind::title:
        if (auto button = std::dynamic_pointer_cast<appkit::Button>(object))
            button->setTitle(step.text);
        else if (auto field = std::dynamic_pointer_cast<appkit::TextField>(object))
            field->setStringValue(step.text);
        else if (auto window = std::dynamic_pointer_cast<appkit::Window>(object))
            window->setTitle(step.text);
        break;
    case Kind::state:
        std::static_pointer_cast<appkit::Button>(object)->setState(
            static_cast<appkit::ControlStateValue>(step.numbers[0]));
        break;
    case Kind::enable:
        std::dynamic_pointer_cast<appkit::Control>(object)->setEnabled(step.flag);
        break;
    default:
        break;
    }
}

} // namespace uisnap
