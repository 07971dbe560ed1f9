#include "host/frame_reader.h"

#include <utility>

namespace {

constexpr std::size_t prefixLength = 4;

std::uint32_t littleEndianLength(const char* prefix) {
    auto byte = [prefix](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(prefix[i])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

} // namespace

void FrameReader::append(foundation::ByteView bytes) {
    if (start_ > 0) {
        // Drop the frames already handled before the buffer grows.
        buffer_.erase(0, start_);
        start_ = 0;
    }
    if (buffer_.size() >= prefixLength) {
        // The length is known and bounded: size the buffer for the whole frame at once.
        std::size_t frameSize = prefixLength + littleEndianLength(buffer_.data());
        if (frameSize <= prefixLength + maximumMessageLength && frameSize > buffer_.capacity())
            buffer_.reserve(frameSize);
    }
    buffer_.append(bytes);
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
    return Frame{Frame::Kind::message, takeMessage(length)};
}

std::string FrameReader::takeMessage(std::uint32_t length) {
    if (start_ == 0 && buffer_.size() == prefixLength + length) {
        // The buffer holds just this frame, often a large one: hand the buffer itself over.
        buffer_.erase(0, prefixLength);
        return std::exchange(buffer_, {});
    }
    std::string message = buffer_.substr(start_ + prefixLength, length);
    start_ += prefixLength + length;
    return message;
}
