#pragma once

#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/runtime/property_value.h"
#include "tools/uisnap/event_script.h"
#include "tools/uisnap/played_window.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace uisnap {

// Plays script steps on a window shown from an interface file, in order, each followed by a
// run-loop turn and a frame when one is due.
class StepPlayer {
public:
    StepPlayer(const appkit::LoadedInterface& loaded, std::filesystem::path interfaceFile,
               std::filesystem::path resources, PlayedWindow& played);

    // Whether every step names an object of the file that can take it, and values of the right
    // kind; the first fault, naming its line and word, in error. Checked before anything plays, so
    // that a wrong script writes nothing.
    bool check(const std::vector<ScriptStep>& steps, std::string* error);
    // False, with a message, when a picture cannot be written.
    bool play(const ScriptStep& step, std::string* error);

private:
    std::optional<std::string> faultOf(const ScriptStep& step);
    std::optional<std::string> setFaultOf(const ScriptStep& step, const appkit::Object& object);
    std::optional<appkit::PropertyValue> valueOf(const ScriptStep& step, std::string& fault);
    void playOnObject(const ScriptStep& step, const std::shared_ptr<appkit::Object>& object);

    const appkit::LoadedInterface& loaded_;
    std::filesystem::path interfaceFile_;
    std::filesystem::path resources_;
    PlayedWindow& played_;
};

} // namespace uisnap
