#include "host/reply_batch.h"

using namespace foundation;

void ReplyBatch::add(std::span<const ByteView> pieces) {
    if (pending_.empty() && !moreFollow_) {
        output_.writeData(pieces);
        return;
    }
    std::size_t size = 0;
    for (ByteView piece : pieces)
        size += piece.size();
    if (pending_.size() + size > capacity)
        flush();
    if (size > capacity || (pending_.empty() && !moreFollow_)) {
        output_.writeData(pieces);
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
    output_.writeData(ByteView(pending_));
    pending_.clear();
}
