#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <poll.h>
#include <vector>

namespace foundation {

class Timer;
class WaitSource;

// The default mode runs everything; in the event-tracking mode (while the mouse is being tracked)
// timers wait.
enum class RunLoopMode { defaultMode, eventTracking };

// One run loop per thread. It waits on readability watches of file descriptors and runs their
// handlers, and its timers, on its own thread; run() returns once no watch that keeps it running
// and no timer is left, or stop().
class RunLoop {
public:
    using WatchId = std::uint64_t;
    enum class Lifetime { keepsLoopRunning, background };
    // A handler that itself waits until its descriptor is readable (a blocking read) may be called
    // without a poll first, when it is all the loop waits for.
    enum class Readiness { polled, awaitedByHandler };

    static RunLoop& main();

    RunLoop() = default;
    // Timers still scheduled let their targets go, as invalidating them would: a target that keeps
    // its own timer would otherwise keep both alive after the loop.
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // The handler runs each time the descriptor is readable, at end of input or on error,
    // until the watch is removed. A background watch never keeps run() from returning.
    WatchId addReadabilityWatch(int fd, std::function<void()> handler,
                                Lifetime lifetime = Lifetime::keepsLoopRunning,
                                Readiness readiness = Readiness::polled);
    void removeWatch(WatchId id);
    void setWatchLifetime(WatchId id, Lifetime lifetime);
    bool hasWatch(WatchId id) const { return findWatch(id) != watches_.end(); }
    // A suspended watch is neither waited on nor keeps run() from returning until it is resumed.
    // Cheaper than removing and adding one for a descriptor read again and again. Resuming
    // returns false when there is no such watch.
    void suspendWatch(WatchId id);
    bool resumeWatch(WatchId id);

    // Wait sources are asked before every wait, in the order they were added; they never keep
    // run() from returning.
    void addWaitSource(std::shared_ptr<WaitSource> source);

    // Timers are scheduled through Timer::scheduledTimer.
    void addTimer(std::shared_ptr<Timer> timer);

    // Observers run at the start of every turn, before the loop waits: a window back end draws its
    // frames there, once whatever the last turn's handlers changed is in place.
    using ObserverId = std::uint64_t;
    ObserverId addBeforeWaitingObserver(std::function<void()> observer);
    void removeBeforeWaitingObserver(ObserverId id);

    // The mode run() turns the loop in; a control tracking a held mouse button sets the
    // event-tracking mode until the release.
    void setCurrentMode(RunLoopMode mode) { currentMode_ = mode; }

    void run();
    bool runOnce(int timeoutMilliseconds = -1) { return runOnce(timeoutMilliseconds, currentMode_); }
    // Waits once (for at most timeoutMilliseconds, -1 for ever, and never past the next timer due
    // in this mode), then runs the handlers that are ready and the timers that are due.
    // Returns false when there was nothing to wait on.
    bool runOnce(int timeoutMilliseconds, RunLoopMode mode);
    void stop() { stopped_ = true; }

private:
    struct Watch {
        WatchId id;
        int fd;
        std::function<void()> handler;
        Lifetime lifetime;
        Readiness readiness;
        bool suspended = false;
    };

    std::vector<Watch>::const_iterator findWatch(WatchId id) const;
    Watch* watchWithId(WatchId id);
    bool hasActiveWatch() const;
    bool keepsRunning();
    void removeInvalidTimers();
    int millisecondsUntilNextTimer(RunLoopMode mode, int timeoutMilliseconds);
    void fireDueTimers(RunLoopMode mode);
    bool runWatches(int timeoutMilliseconds);
    void notifyBeforeWaiting();
    bool runSoleWatchAwaitedByHandler(int timeoutMilliseconds);
    int prepareWaitSources(std::vector<pollfd>& descriptors, std::vector<std::size_t>& ends,
                           int timeoutMilliseconds);
    void endWaitSources(const std::vector<pollfd>& descriptors, const std::vector<std::size_t>& ends,
                        std::size_t start);

    // In the order they were added, which is the order of their ids, so one is found by a binary
    // search; a loop has few, and a turn walks them all.
    std::vector<Watch> watches_;
    std::vector<std::shared_ptr<Timer>> timers_;
    std::vector<pollfd> descriptors_;
    std::vector<WatchId> ids_;
    WatchId nextId_ = 1;
    std::vector<std::shared_ptr<WaitSource>> waitSources_;
    std::map<ObserverId, std::function<void()>> beforeWaitingObservers_;
    ObserverId nextObserverId_ = 1;
    bool stopped_ = false;
    RunLoopMode currentMode_ = RunLoopMode::defaultMode;
};

} // namespace foundation
