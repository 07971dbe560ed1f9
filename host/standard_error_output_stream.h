#pragma once

#include "host/log.h"
#include "host/reply_batch.h"
#include "host/text_output_stream.h"

// Sends each text as one frame on standard output, through the read's batch of replies (the name
// is historical: nothing goes to standard error).
class StandardErrorOutputStream final : public TextOutputStream {
public:
    StandardErrorOutputStream(Log& log, ReplyBatch& output) : log_(log), output_(output) {}

    void write(std::string_view text) override;
    // One frame of the joined text, written without joining it when the log is off.
    void writeJoined(std::initializer_list<std::string_view> pieces) override;

private:
    // A text too long for a frame is not sent; the log says "Error" instead.
    bool refusesLength(std::size_t size);

    Log& log_;
    ReplyBatch& output_;
};
