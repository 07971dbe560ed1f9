#pragma once

#include "host/log.h"
#include "host/text_output_stream.h"
#include "platform/foundation/json.h"
#include "platform/foundation/json_outline.h"
#include "platform/foundation/workspace.h"

#include <optional>
#include <string>
#include <string_view>

// Carries out one request of the browser: an options request is answered with the text of
// "data.json" from the working directory, a URL request opens the URL. Nothing is kept between
// requests.
class RequestHandler {
public:
    RequestHandler(Log& log, TextOutputStream& replies, foundation::Workspace& workspace)
        : log_(log), replies_(replies), workspace_(workspace) {}

    // Looks at the object's first key only.
    void handleJsonResult(const foundation::JSONValue& object);
    // The same, with the object's description already made for the log: a large one costs as
    // much to describe as to read.
    void handleJsonResult(const foundation::JSONValue& object, std::string_view description);
    // The same for a request read without its value, which only a log that is off can spare: the
    // "handleJsonResult: " line describes the value.
    void handleOutline(const foundation::JSONOutline& outline);
    void sendOptions();
    void openURLString(const std::string& text);

private:
    static bool isRequestKey(std::string_view key) { return key == "options" || key == "url"; }
    void carryOut(std::string_view key, std::optional<std::string_view> stringValue);

    Log& log_;
    TextOutputStream& replies_;
    foundation::Workspace& workspace_;
};
