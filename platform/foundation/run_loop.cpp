#include "platform/foundation/run_loop.h"

#include <cerrno>
#include <poll.h>
#include <vector>

namespace foundation {

RunLoop& RunLoop::main() {
    static RunLoop loop;
    return loop;
}

RunLoop::WatchId RunLoop::addReadabilityWatch(int fd, std::function<void()> handler, Lifetime lifetime) {
    WatchId id = nextId_++;
    watches_.emplace(id, Watch{fd, std::move(handler), lifetime});
    return id;
}

void RunLoop::removeWatch(WatchId id) {
    watches_.erase(id);
}

bool RunLoop::keepsRunning() const {
    for (const auto& [id, watch] : watches_) {
        if (watch.lifetime == Lifetime::keepsLoopRunning)
            return true;
    }
    return false;
}

void RunLoop::run() {
    stopped_ = false;
    while (!stopped_ && keepsRunning())
        runOnce();
}

bool RunLoop::runOnce(int timeoutMilliseconds) {
    if (watches_.empty())
        return false;
    // Kept between turns so that a turn allocates nothing.
    descriptors_.clear();
    ids_.clear();
    for (const auto& [id, watch] : watches_) {
        descriptors_.push_back({watch.fd, POLLIN, 0});
        ids_.push_back(id);
    }
    int ready = ::poll(descriptors_.data(), descriptors_.size(), timeoutMilliseconds);
    if (ready < 0)
        return errno == EINTR;
    for (std::size_t i = 0; i < descriptors_.size(); ++i) {
        // A handler may remove later watches, so look each one up again.
        auto watch = watches_.find(ids_[i]);
        if (descriptors_[i].revents == 0 || watch == watches_.end())
            continue;
        auto handler = watch->second.handler;
        handler();
    }
    return true;
}

} // namespace foundation
