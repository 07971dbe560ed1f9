#include "platform/foundation/run_loop.h"

#include <cerrno>
#include <poll.h>
#include <utility>
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
    // The lists are kept between turns so that a turn allocates nothing; a handler that turns the
    // loop itself works on lists of its own.
    auto descriptors = std::exchange(descriptors_, {});
    auto ids = std::exchange(ids_, {});
    descriptors.clear();
    ids.clear();
    for (const auto& [id, watch] : watches_) {
        descriptors.push_back({watch.fd, POLLIN, 0});
        ids.push_back(id);
    }
    int ready = ::poll(descriptors.data(), descriptors.size(), timeoutMilliseconds);
    for (std::size_t i = 0; ready > 0 && i < descriptors.size(); ++i) {
        // A handler may remove later watches, so look each one up again.
        auto watch = watches_.find(ids[i]);
        if (descriptors[i].revents == 0 || watch == watches_.end())
            continue;
        auto handler = watch->second.handler;
        handler();
    }
    bool turned = ready >= 0 || errno == EINTR;
    descriptors_ = std::move(descriptors);
    ids_ = std::move(ids);
    return turned;
}

} // namespace foundation
