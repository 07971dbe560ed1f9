#include "platform/foundation/run_loop.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/wait_source.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <poll.h>
#include <utility>
#include <vector>

namespace foundation {

RunLoop& RunLoop::main() {
    static RunLoop loop;
    return loop;
}

RunLoop::~RunLoop() {
    for (const auto& timer : std::exchange(timers_, {}))
        timer->invalidate();
}

RunLoop::WatchId RunLoop::addReadabilityWatch(int fd, std::function<void()> handler, Lifetime lifetime,
                                              Readiness readiness) {
    WatchId id = nextId_++;
    watches_.push_back(Watch{id, fd, std::move(handler), lifetime, readiness});
    return id;
}

void RunLoop::removeWatch(WatchId id) {
    auto watch = findWatch(id);
    if (watch != watches_.end())
        watches_.erase(watch);
}

std::vector<RunLoop::Watch>::const_iterator RunLoop::findWatch(WatchId id) const {
    auto watch = std::lower_bound(watches_.begin(), watches_.end(), id,
                                  [](const Watch& watch, WatchId id) { return watch.id < id; });
    return watch != watches_.end() && watch->id == id ? watch : watches_.end();
}

RunLoop::Watch* RunLoop::watchWithId(WatchId id) {
    auto watch = findWatch(id);
    return watch != watches_.end() ? &watches_[watch - watches_.begin()] : nullptr;
}

void RunLoop::setWatchLifetime(WatchId id, Lifetime lifetime) {
    if (Watch* watch = watchWithId(id))
        watch->lifetime = lifetime;
}

void RunLoop::suspendWatch(WatchId id) {
    if (Watch* watch = watchWithId(id))
        watch->suspended = true;
}

bool RunLoop::resumeWatch(WatchId id) {
    Watch* watch = watchWithId(id);
    if (watch)
        watch->suspended = false;
    return watch != nullptr;
}

bool RunLoop::hasActiveWatch() const {
    return std::any_of(watches_.begin(), watches_.end(), [](const Watch& watch) { return !watch.suspended; });
}

RunLoop::ObserverId RunLoop::addBeforeWaitingObserver(std::function<void()> observer) {
    ObserverId id = nextObserverId_++;
    beforeWaitingObservers_.emplace(id, std::move(observer));
    return id;
}

void RunLoop::removeBeforeWaitingObserver(ObserverId id) {
    beforeWaitingObservers_.erase(id);
}

void RunLoop::notifyBeforeWaiting() {
    // An observer may add or remove observers: call those that are still there.
    std::vector<ObserverId> ids;
    for (const auto& [id, observer] : beforeWaitingObservers_)
        ids.push_back(id);
    for (ObserverId id : ids) {
        auto observer = beforeWaitingObservers_.find(id);
        if (observer == beforeWaitingObservers_.end())
            continue;
        auto call = observer->second;
        call();
    }
}

void RunLoop::addWaitSource(std::shared_ptr<WaitSource> source) {
    waitSources_.push_back(std::move(source));
}

void RunLoop::addTimer(std::shared_ptr<Timer> timer) {
    timers_.push_back(std::move(timer));
}

bool RunLoop::keepsRunning() {
    removeInvalidTimers();
    if (!timers_.empty())
        return true;
    return std::any_of(watches_.begin(), watches_.end(), [](const Watch& watch) {
        return !watch.suspended && watch.lifetime == Lifetime::keepsLoopRunning;
    });
}

int RunLoop::millisecondsUntilNextTimer(RunLoopMode mode, int timeoutMilliseconds) {
    if (timers_.empty())
        return timeoutMilliseconds;
    double now = Clock::current().now();
    for (const auto& timer : timers_) {
        if (!timer->isValid() || !timer->firesIn(mode))
            continue;
        double wait = std::ceil(std::max(timer->fireDate() - now, 0.0) * 1000.0);
        if (timeoutMilliseconds < 0 || wait < timeoutMilliseconds)
            timeoutMilliseconds = static_cast<int>(std::min(wait, 1e9));
    }
    return timeoutMilliseconds;
}

void RunLoop::fireDueTimers(RunLoopMode mode) {
    if (timers_.empty())
        return;
    double now = Clock::current().now();
    // A timer's block may schedule or invalidate timers: work on the list as it was.
    auto due = timers_;
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a->fireDate() < b->fireDate(); });
    for (const auto& timer : due) {
        if (timer->isValid() && timer->firesIn(mode) && timer->fireDate() <= now)
            timer->fire(now);
    }
    std::erase_if(timers_, [](const auto& timer) { return !timer->isValid(); });
}

void RunLoop::run() {
    stopped_ = false;
    while (!stopped_ && keepsRunning())
        runOnce();
}

bool RunLoop::runOnce(int timeoutMilliseconds, RunLoopMode mode) {
    if (!beforeWaitingObservers_.empty())
        notifyBeforeWaiting();
    removeInvalidTimers();
    if (timers_.empty() && !hasActiveWatch() && waitSources_.empty())
        return false;
    bool turned = runWatches(millisecondsUntilNextTimer(mode, timeoutMilliseconds));
    if (!timers_.empty())
        fireDueTimers(mode);
    return turned;
}

// Most turns have no timers: spared the call.
void RunLoop::removeInvalidTimers() {
    if (!timers_.empty())
        std::erase_if(timers_, [](const auto& timer) { return !timer->isValid(); });
}

bool RunLoop::runWatches(int timeoutMilliseconds) {
    if (!hasActiveWatch() && waitSources_.empty()) {
        // Only timers: wait for the next one.
        if (timeoutMilliseconds > 0)
            ::poll(nullptr, 0, timeoutMilliseconds);
        return true;
    }
    if (waitSources_.empty() && runSoleWatchAwaitedByHandler(timeoutMilliseconds))
        return true;
    // The lists are kept between turns so that a turn allocates nothing; a handler that turns the
    // loop itself works on lists of its own.
    auto descriptors = std::exchange(descriptors_, {});
    auto ids = std::exchange(ids_, {});
    descriptors.clear();
    ids.clear();
    for (const auto& watch : watches_) {
        if (watch.suspended)
            continue;
        descriptors.push_back({watch.fd, POLLIN, 0});
        ids.push_back(watch.id);
    }
    std::size_t watched = descriptors.size();
    std::vector<std::size_t> sourceEnds;
    if (!waitSources_.empty())
        timeoutMilliseconds = prepareWaitSources(descriptors, sourceEnds, timeoutMilliseconds);
    int ready = ::poll(descriptors.data(), descriptors.size(), timeoutMilliseconds);
    if (!waitSources_.empty())
        endWaitSources(descriptors, sourceEnds, watched);
    for (std::size_t i = 0; ready > 0 && i < watched; ++i) {
        // A handler may remove later watches, so look each one up again.
        auto watch = findWatch(ids[i]);
        if (descriptors[i].revents == 0 || watch == watches_.end() || watch->suspended)
            continue;
        auto handler = watch->handler;
        handler();
    }
    bool turned = ready >= 0 || errno == EINTR;
    descriptors_ = std::move(descriptors);
    ids_ = std::move(ids);
    return turned;
}

// Each source's descriptors follow the watches'; ends holds where each source's run ends.
int RunLoop::prepareWaitSources(std::vector<pollfd>& descriptors, std::vector<std::size_t>& ends,
                                int timeoutMilliseconds) {
    for (const auto& source : waitSources_) {
        int allowed = source->prepareToWait(descriptors);
        ends.push_back(descriptors.size());
        if (allowed >= 0 && (timeoutMilliseconds < 0 || allowed < timeoutMilliseconds))
            timeoutMilliseconds = allowed;
    }
    return timeoutMilliseconds;
}

void RunLoop::endWaitSources(const std::vector<pollfd>& descriptors, const std::vector<std::size_t>& ends,
                             std::size_t start) {
    // A source may add sources: work on the list as it was.
    auto sources = waitSources_;
    std::size_t index = 0;
    for (const auto& source : sources) {
        std::span<const pollfd> own(descriptors.data() + start, ends[index] - start);
        source->waitEnded(own);
        start = ends[index++];
    }
}

// Spares a poll: the handler's own read waits just as long.
bool RunLoop::runSoleWatchAwaitedByHandler(int timeoutMilliseconds) {
    if (timeoutMilliseconds >= 0)
        return false;
    auto active = [](const Watch& watch) { return !watch.suspended; };
    auto sole = std::find_if(watches_.begin(), watches_.end(), active);
    if (sole == watches_.end() || sole->readiness != Readiness::awaitedByHandler ||
        std::any_of(sole + 1, watches_.end(), active))
        return false;
    auto handler = sole->handler;
    handler();
    return true;
}

} // namespace foundation
