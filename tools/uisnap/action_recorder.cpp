#include "tools/uisnap/action_recorder.h"

#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/json.h"
#include "platform/quartz/layer_tree_description.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace uisnap {

namespace {

constexpr const char* className = "ActionRecorder";

void registerWithActions(const std::set<std::string>& actions) {
    auto& info = appkit::Runtime::shared().add(
        typeid(ActionRecorder), className, {}, [] { return std::make_shared<ActionRecorder>(); },
        [](const appkit::Object& object) { return dynamic_cast<const ActionRecorder*>(&object) != nullptr; });
    for (const auto& action : actions) {
        info.addAction(action, [action](appkit::Object& target, appkit::Object* sender) {
            static_cast<ActionRecorder&>(target).record(action, sender);
        });
    }
}

const appkit::ClassRegistration registration([](appkit::Runtime&) { registerWithActions({}); });

std::set<std::string> actionNamesIn(const std::filesystem::path& interfaceFile) {
    std::ifstream file(interfaceFile);
    std::ostringstream read;
    read << file.rdbuf();
    std::string text = read.str();
    auto document = foundation::JSONSerialization::JSONObjectInPlace(text.data(), text.size(),
                                                                     foundation::JSONSerialization::none);
    std::set<std::string> names;
    if (!document || !document->is_object() || !document->contains("actions") ||
        !(*document)["actions"].is_array())
        return names; // the loader says what is wrong
    for (const auto& connection : (*document)["actions"]) {
        if (connection.is_object() && connection.contains("action") && connection["action"].is_string())
            names.insert(connection["action"].get<std::string>());
    }
    return names;
}

std::string quoted(const std::string& text) {
    std::string written = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            written += '\\';
        written += c;
    }
    return written + '"';
}

} // namespace

void ActionRecorder::answerActionsOf(const std::filesystem::path& interfaceFile) {
    registerWithActions(actionNamesIn(interfaceFile));
}

void ActionRecorder::attach(IdOf idOf, double timeOrigin) {
    idOf_ = std::move(idOf);
    timeOrigin_ = timeOrigin;
}

void ActionRecorder::record(std::string_view action, appkit::Object* sender) const {
    std::string line = "action " + std::string(action);
    std::string id = idOf_ && sender != nullptr ? idOf_(sender) : "";
    line += " sender=" + (id.empty() ? std::string(sender != nullptr ? "?" : "none") : id);
    if (const auto* button = dynamic_cast<const appkit::Button*>(sender))
        line += " state=" + std::to_string(button->state()) + " title=" + quoted(button->title());
    line += " t=" + quartz::describeNumber(foundation::Clock::current().now() - timeOrigin_);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout); // in order with anything else the tool prints
}

} // namespace uisnap
