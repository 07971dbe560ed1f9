#include "platform/foundation/timer.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"

#include <cmath>

namespace foundation {

namespace {

// The frameworks make a timer of no interval fire as soon as it can, and repeat at 0.1 ms.
constexpr double shortestInterval = 0.0001;

} // namespace

Timer::Timer(double interval, bool repeats, Block block, double now)
    : interval_(std::max(interval, 0.0)), repeats_(repeats), block_(std::move(block)),
      fireDate_(now + interval_) {}

std::shared_ptr<Timer> Timer::scheduledTimer(double interval, bool repeats, Block block, Modes modes) {
    auto timer = std::make_shared<Timer>(interval, repeats, std::move(block), Clock::current().now());
    timer->modes_ = modes;
    RunLoop::main().addTimer(timer);
    return timer;
}

bool Timer::firesIn(RunLoopMode mode) const {
    return mode == RunLoopMode::defaultMode || modes_ == Modes::common;
}

void Timer::invalidate() {
    valid_ = false;
    block_ = nullptr; // lets the target go
}

void Timer::fire(double now) {
    if (!valid_)
        return;
    auto keepAlive = shared_from_this(); // the block may drop the last other reference
    Block block = block_;
    if (repeats_) {
        // Missed fires are skipped: the next one is the first date still ahead.
        double step = std::max(interval_, shortestInterval);
        fireDate_ += step * (std::floor((now - fireDate_) / step) + 1);
    } else {
        invalidate();
    }
    block(*this);
}

} // namespace foundation
