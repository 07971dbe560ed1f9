#include "host/reply_batch.h"

using namespace foundation;

void ReplyBatch::add(std::span<const ByteView> pieces) {
    if (readerGone_)
        return;
    if (pending_.empty() && !moreFollow_) {
        writeNow(pieces);
        return;
    }
    std::size_t size = 0;
    for (ByteView piece : pieces)
        size += piece.size();
    if (pending_.size() + size > capacity)
        flush();
    if (size > capacity || (pending_.empty() && !moreFollow_)) {
        writeNow(pieces);
        return;
    }
    if (pending_.capacity() < capacity)
        pending_.reserve(capacity);
    for (ByteView piece : pieces)
        pending_.append(piece);
    if (!moreFollow_)
        flush();
}

void ReplyBatch::flush() {
    if (pending_.empty())
        return;
    ByteView pending(pending_);
    writeNow({&pending, 1});
    pending_.clear();
}

void ReplyBatch::writeNow(std::span<const ByteView> pieces) {
    if (!readerGone_ && !output_.writeData(pieces))
        readerGone_ = true;
}
