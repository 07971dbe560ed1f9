#pragma once

#include "platform/foundation/data.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

// Cuts frames (a 4-byte little-endian length, then that many bytes) out of what standard input
// delivers, however the reads split them.
class FrameReader {
public:
    // The largest message a browser sends to a host; a longer length is never allocated.
    static constexpr std::uint32_t maximumMessageLength = 64 * 1024 * 1024;

    struct Frame {
        enum class Kind { message, tooLong };
        Kind kind;
        std::string message;
    };

    // After a length above the maximum, the rest of these bytes and anything gathered so far are
    // dropped: the next read starts a new frame.
    void append(foundation::ByteView bytes);
    // The frames completed so far, in order.
    std::optional<Frame> nextFrame();
    // Bytes of a frame not yet complete.
    std::size_t bufferedSize() const { return prefix_.size() + (length_ ? 4 + body_.size() : 0); }

private:
    bool gatherPrefix(foundation::ByteView& bytes);
    void gatherBody(foundation::ByteView& bytes);

    std::string prefix_;                  // the length's bytes, while they arrive
    std::optional<std::uint32_t> length_; // known once the prefix is whole
    std::string body_;                    // the message, while it arrives
    std::deque<Frame> complete_;
};
