#pragma once

#include "platform/foundation/data.h"
#include "platform/foundation/file_handle.h"

#include <span>
#include <string>

// Replies to the frames of one read of standard input, written together once the read is handled:
// a browser that sends requests back to back gets their replies in one write rather than one
// each. Replies keep their order; one larger than the batch is written as it is.
class ReplyBatch {
public:
    explicit ReplyBatch(foundation::FileHandle& output) : output_(output) {}
    ~ReplyBatch() { flush(); }
    ReplyBatch(const ReplyBatch&) = delete;
    ReplyBatch& operator=(const ReplyBatch&) = delete;

    // Whether more replies are known to follow this read's next one. Until they are, a reply is
    // written as soon as it is added, without being copied.
    void expectMore(bool more) { moreFollow_ = more; }
    // One reply, given as pieces. What is already waiting is written first when it would not fit.
    void add(std::span<const foundation::ByteView> pieces);
    void add(std::initializer_list<foundation::ByteView> pieces) { add({pieces.begin(), pieces.size()}); }
    void flush();
    // Once a write has failed, the browser has gone: nothing more is written.
    bool readerHasGone() const { return readerGone_; }

    // A pipe's worth: more would only wait for the browser to read.
    static constexpr std::size_t capacity = std::size_t{64} * 1024;

private:
    void writeNow(std::span<const foundation::ByteView> pieces);

    foundation::FileHandle& output_;
    std::string pending_;
    bool moreFollow_ = false;
    bool readerGone_ = false;
};
