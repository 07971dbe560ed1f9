#include "host/frame_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {

constexpr std::size_t prefixLength = 4;
// A pipe holds 64 KiB by default, so one read rarely returns more.
constexpr std::size_t readSize = std::size_t{64} * 1024;
// A buffer grown for a large message is given back once the message is handled.
constexpr std::size_t largestKeptCapacity = std::size_t{1} << 20;

constexpr std::size_t hugePageSize = std::size_t{2} << 20;

// A large message fills its buffer in one go: on huge pages that costs one page fault per 2 MiB
// rather than 512.
char* allocateBuffer(std::size_t size) {
    void* bytes = nullptr;
#ifdef MADV_HUGEPAGE
    if (size >= 2 * hugePageSize) {
        std::size_t rounded = (size + hugePageSize - 1) / hugePageSize * hugePageSize;
        bytes = std::aligned_alloc(hugePageSize, rounded);
        if (bytes)
            ::madvise(bytes, rounded, MADV_HUGEPAGE);
    }
#endif
    if (!bytes)
        bytes = std::malloc(size);
    if (!bytes)
        throw std::bad_alloc();
    return static_cast<char*>(bytes);
}

} // namespace

void FrameReader::FreeBuffer::operator()(char* bytes) const {
    std::free(bytes);
}

std::span<char> FrameReader::space() {
    restoreTerminatedByte();
    compact();
    std::size_t needed = end_ + 1;
    // Only a length already checked against the maximum sizes the buffer.
    if (auto length = lengthAt(complete_))
        needed = std::max(needed, complete_ + prefixLength + *length);
    bool holdsLargeMessageNoMore = capacity_ > largestKeptCapacity && needed <= readSize;
    if (capacity_ < needed || holdsLargeMessageNoMore)
        reserve(std::max(needed, end_ + readSize));
    return {buffer_.get() + end_, capacity_ - end_};
}

bool FrameReader::commit(std::size_t count) {
    restoreTerminatedByte();
    end_ += count;
    while (auto length = lengthAt(complete_)) {
        if (*length > maximumMessageLength) {
            tooLongAt_.push_back(complete_);
            end_ = complete_;
            return false;
        }
        if (end_ - complete_ - prefixLength < *length)
            break;
        complete_ += prefixLength + *length;
    }
    return true;
}

std::optional<FrameReader::FrameInPlace> FrameReader::nextFrameInPlace() {
    restoreTerminatedByte();
    if (!tooLongAt_.empty() && tooLongAt_.front() == start_) {
        tooLongAt_.erase(tooLongAt_.begin());
        return FrameInPlace{Kind::tooLong, {}};
    }
    if (start_ == complete_)
        return std::nullopt;
    std::uint32_t length = *lengthAt(start_);
    char* message = buffer_.get() + start_ + prefixLength;
    start_ += prefixLength + length;
    // The byte after the message belongs to the next frame, or to no one yet.
    if (start_ < end_)
        terminated_ = {start_, buffer_[start_]};
    buffer_[start_] = '\0';
    return FrameInPlace{Kind::message, {message, length}};
}

std::optional<std::uint32_t> FrameReader::lengthAt(std::size_t offset) const {
    if (end_ - offset < prefixLength)
        return std::nullopt;
    auto byte = [this, offset](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(buffer_[offset + i]));
    };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

void FrameReader::restoreTerminatedByte() {
    if (!terminated_)
        return;
    buffer_[terminated_->first] = terminated_->second;
    terminated_.reset();
}

// Moves what is still to be handed out to the front, so the buffer never grows with frames gone.
void FrameReader::compact() {
    if (start_ == 0)
        return;
    std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
    for (std::size_t& offset : tooLongAt_)
        offset -= start_;
    complete_ -= start_;
    end_ -= start_;
    start_ = 0;
}

void FrameReader::reserve(std::size_t capacity) {
    // Left uninitialised: a read fills what is used.
    std::unique_ptr<char[], FreeBuffer> buffer(allocateBuffer(capacity + 1));
    if (end_ > 0)
        std::memcpy(buffer.get(), buffer_.get(), end_);
    buffer_ = std::move(buffer);
    capacity_ = capacity;
}
