#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

// Cuts frames (a 4-byte little-endian length, then that many bytes) out of what standard input
// delivers, however the reads split them. Reads go straight into the reader's one buffer and
// messages are handed out where they lie, so a message is never copied.
class FrameReader {
public:
    // The largest message a browser sends to a host; a longer length is never allocated.
    static constexpr std::uint32_t maximumMessageLength = 64 * 1024 * 1024;

    enum class Kind { message, tooLong };
    // A message in the reader's buffer, followed by a NUL, until the reader is used again.
    struct FrameInPlace {
        Kind kind;
        std::span<char> message;
    };

    // Where the next read goes: room for the rest of a frame whose length is known, else for
    // one pipe's worth.
    std::span<char> space();
    // Takes the first `count` bytes of space() as one read. After a length above the maximum,
    // the rest of the read and anything gathered so far are dropped: the next read starts a new
    // frame. False when that happened.
    bool commit(std::size_t count);
    // The frames completed so far, in order.
    std::optional<FrameInPlace> nextFrameInPlace();
    // Whether nextFrameInPlace has one to give.
    bool hasFrame() const { return start_ != complete_ || !tooLongAt_.empty(); }

    // Bytes of a frame not yet complete.
    std::size_t bufferedSize() const { return end_ - complete_; }

private:
    std::optional<std::uint32_t> lengthAt(std::size_t offset) const;
    void restoreTerminatedByte();
    void compact();
    void reserve(std::size_t capacity);

    struct FreeBuffer {
        void operator()(char* bytes) const;
    };
    std::unique_ptr<char[], FreeBuffer> buffer_; // left uninitialised; one byte beyond capacity_ for a NUL
    std::size_t capacity_ = 0;
    std::size_t start_ = 0;                                  // the first frame not yet handed out
    std::size_t complete_ = 0;                               // the end of the complete frames
    std::size_t end_ = 0;                                    // the end of what was read
    std::vector<std::size_t> tooLongAt_;                     // where a refused length was, in order
    std::optional<std::pair<std::size_t, char>> terminated_; // the byte under a handed-out NUL
};
