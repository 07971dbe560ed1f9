#pragma once

#include "host/log.h"
#include "host/text_output_stream.h"
#include "platform/foundation/json.h"
#include "platform/foundation/workspace.h"

#include <string>

// Carries out one request of the browser: an options request is answered with the text of
// "data.json" from the working directory, a URL request opens the URL. Nothing is kept between
// requests.
class RequestHandler {
public:
    RequestHandler(Log& log, TextOutputStream& replies, foundation::Workspace& workspace)
        : log_(log), replies_(replies), workspace_(workspace) {}

    // Looks at the object's first key only.
    void handleJsonResult(const foundation::JSONValue& object);
    void sendOptions();
    void openURLString(const std::string& text);

private:
    Log& log_;
    TextOutputStream& replies_;
    foundation::Workspace& workspace_;
};
