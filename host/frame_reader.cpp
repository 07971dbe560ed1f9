#include "host/frame_reader.h"

#include <utility>

namespace {

constexpr std::size_t prefixLength = 4;

std::uint32_t littleEndianLength(std::string_view prefix) {
    auto byte = [prefix](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(prefix[i])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

} // namespace

void FrameReader::append(foundation::ByteView bytes) {
    while (!bytes.empty()) {
        if (!length_ && !gatherPrefix(bytes))
            return;
        gatherBody(bytes);
    }
}

// False when the prefix is still incomplete, or when it gave a length too long to accept.
bool FrameReader::gatherPrefix(foundation::ByteView& bytes) {
    std::size_t taken = std::min(prefixLength - prefix_.size(), bytes.size());
    prefix_.append(bytes.substr(0, taken));
    bytes.remove_prefix(taken);
    if (prefix_.size() < prefixLength)
        return false;
    std::uint32_t length = littleEndianLength(prefix_);
    prefix_.clear();
    if (length > maximumMessageLength) {
        complete_.push_back({Frame::Kind::tooLong, {}});
        return false;
    }
    length_ = length;
    body_.reserve(length); // bounded above, so the message is copied once, into its own string
    return true;
}

void FrameReader::gatherBody(foundation::ByteView& bytes) {
    std::size_t taken = std::min<std::size_t>(*length_ - body_.size(), bytes.size());
    body_.append(bytes.substr(0, taken));
    bytes.remove_prefix(taken);
    if (body_.size() < *length_)
        return;
    complete_.push_back({Frame::Kind::message, std::exchange(body_, {})});
    length_.reset();
}

std::optional<FrameReader::Frame> FrameReader::nextFrame() {
    if (complete_.empty())
        return std::nullopt;
    Frame frame = std::move(complete_.front());
    complete_.pop_front();
    return frame;
}
