#include "host/request_handler.h"

#include "platform/foundation/file_manager.h"
#include "platform/foundation/string_encoding.h"

using namespace foundation;

void RequestHandler::handleJsonResult(const JSONValue& object) {
    handleJsonResult(object, log_.isEnabled() ? JSONSerialization::description(object) : std::string());
}

void RequestHandler::handleJsonResult(const JSONValue& object, std::string_view description) {
    if (!object.is_object() || object.empty())
        return;
    const std::string& key = object.begin().key();
    if (!isRequestKey(key))
        return;
    if (log_.isEnabled())
        log_.line(std::string("handleJsonResult: ").append(description));
    const JSONValue& value = object.begin().value();
    if (!value.is_string()) {
        carryOut(key, std::nullopt);
        return;
    }
    carryOut(key, value.get_ref<const std::string&>());
}

void RequestHandler::handleOutline(const JSONOutline& outline) {
    if (!outline.isObject || !outline.firstKey || !isRequestKey(*outline.firstKey))
        return;
    carryOut(*outline.firstKey, outline.firstKeyString);
}

void RequestHandler::carryOut(std::string_view key, std::optional<std::string_view> stringValue) {
    if (key == "options") {
        sendOptions();
        return;
    }
    if (!stringValue)
        return;
    std::string text(*stringValue);
    if (log_.isEnabled())
        log_.line("URL: " + text);
    openURLString(text);
}

void RequestHandler::sendOptions() {
    if (log_.isEnabled())
        log_.line("AppPAth: " + FileManager::defaultManager().currentDirectoryPath().value_or(""));
    // Relative to the working directory: the same file as its path followed by "/data.json",
    // without asking the system for that path on every request.
    auto data = dataWithContentsOfFile("data.json");
    if (!data)
        return;
    auto text = stringWithUTF8(std::move(*data));
    if (!text) {
        log_.line("Empty json read");
        return;
    }
    log_.line(*text);
    replies_.writeJoined({"{\"options\": ", *text, "}"});
    log_.line(*text);
}

void RequestHandler::openURLString(const std::string& text) {
    if (log_.isEnabled())
        log_.line("Received: " + FileManager::defaultManager().currentDirectoryPath().value_or(""));
    auto url = URL::URLWithString(text);
    if (!url)
        return;
    workspace_.openURL(*url);
}
