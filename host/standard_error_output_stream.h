#pragma once

#include "host/log.h"
#include "host/text_output_stream.h"
#include "platform/foundation/file_handle.h"

// Sends each text as one frame on standard output (the name is historical: nothing goes to
// standard error). Write failures are not reported; a browser that has gone reads nothing.
class StandardErrorOutputStream final : public TextOutputStream {
public:
    StandardErrorOutputStream(Log& log, foundation::FileHandle& output) : log_(log), output_(output) {}

    void write(std::string_view text) override;
    // One frame of the joined text, written without joining it when the log is off.
    void writeJoined(std::initializer_list<std::string_view> pieces) override;

private:
    Log& log_;
    foundation::FileHandle& output_;
};
