#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <poll.h>
#include <vector>

namespace foundation {

// One run loop per thread. It waits on readability watches of file descriptors and runs their
// handlers on its own thread; run() returns once no watch that keeps it running is left, or stop().
class RunLoop {
public:
    using WatchId = std::uint64_t;
    enum class Lifetime { keepsLoopRunning, background };

    static RunLoop& main();

    // The handler runs each time the descriptor is readable, at end of input or on error,
    // until the watch is removed. A background watch never keeps run() from returning.
    WatchId addReadabilityWatch(int fd, std::function<void()> handler,
                                Lifetime lifetime = Lifetime::keepsLoopRunning);
    void removeWatch(WatchId id);
    bool hasWatch(WatchId id) const { return watches_.contains(id); }

    void run();
    // Waits once (for at most timeoutMilliseconds, -1 for ever) and runs the handlers that are due.
    // Returns false when there was nothing to wait on.
    bool runOnce(int timeoutMilliseconds = -1);
    void stop() { stopped_ = true; }

private:
    struct Watch {
        int fd;
        std::function<void()> handler;
        Lifetime lifetime;
    };

    bool keepsRunning() const;

    std::map<WatchId, Watch> watches_;
    std::vector<pollfd> descriptors_;
    std::vector<WatchId> ids_;
    WatchId nextId_ = 1;
    bool stopped_ = false;
};

} // namespace foundation
