#include "host/frame_reader.h"

#include <cstring>

namespace {

constexpr std::size_t prefixLength = 4;

std::uint32_t littleEndianLength(const std::uint8_t* prefix) {
    return static_cast<std::uint32_t>(prefix[0]) | static_cast<std::uint32_t>(prefix[1]) << 8 |
           static_cast<std::uint32_t>(prefix[2]) << 16 | static_cast<std::uint32_t>(prefix[3]) << 24;
}

} // namespace

void FrameReader::append(foundation::ByteView bytes) {
    if (start_ > 0) {
        // Drop the frames already handled before the buffer grows.
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    if (buffer_.size() >= prefixLength) {
        // The length is known and bounded: size the buffer for the whole frame at once.
        std::size_t frameSize = prefixLength + littleEndianLength(buffer_.data());
        if (frameSize <= prefixLength + maximumMessageLength && frameSize > buffer_.capacity())
            buffer_.reserve(frameSize);
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::optional<FrameReader::Frame> FrameReader::nextFrame() {
    if (bufferedSize() < prefixLength)
        return std::nullopt;
    std::uint32_t length = littleEndianLength(buffer_.data() + start_);
    if (length > maximumMessageLength) {
        buffer_.clear();
        start_ = 0;
        return Frame{Frame::Kind::tooLong, {}};
    }
    if (bufferedSize() - prefixLength < length)
        return std::nullopt;
    foundation::ByteView message(buffer_.data() + start_ + prefixLength, length);
    start_ += prefixLength + length;
    return Frame{Frame::Kind::message, message};
}
