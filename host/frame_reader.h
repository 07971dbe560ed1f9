#pragma once

#include "platform/foundation/data.h"

#include <cstdint>
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

    void append(foundation::ByteView bytes);
    // The next complete frame, or none until more bytes arrive. After a tooLong frame the bytes
    // buffered so far are dropped and the next read starts a new frame.
    std::optional<Frame> nextFrame();
    std::size_t bufferedSize() const { return buffer_.size() - start_; }

private:
    std::string takeMessage(std::uint32_t length);

    std::string buffer_;
    std::size_t start_ = 0; // where the next frame begins
};
