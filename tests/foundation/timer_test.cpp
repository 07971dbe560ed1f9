#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/timer.h"

#include <gtest/gtest.h>

using foundation::RunLoop;
using foundation::RunLoopMode;
using foundation::ScopedManualClock;
using foundation::Timer;

namespace {

class Counter {
public:
    void tick(Timer&) { ++ticks; }
    int ticks = 0;
};

// Turns the main run loop once without waiting, in the given mode.
void turn(RunLoopMode mode = RunLoopMode::defaultMode) {
    RunLoop::main().runOnce(0, mode);
}

} // namespace

class TimerTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (auto& timer : timers_)
            timer->invalidate();
        turn();
    }
    std::shared_ptr<Timer> keep(std::shared_ptr<Timer> timer) {
        timers_.push_back(timer);
        return timer;
    }

    ScopedManualClock clock_;

private:
    std::vector<std::shared_ptr<Timer>> timers_;
};

TEST_F(TimerTest, FiresOnceAfterItsInterval) {
    auto counter = std::make_shared<Counter>();
    keep(Timer::scheduledTimer(2.0, counter, &Counter::tick, false));
    clock_->advance(1.9);
    turn();
    EXPECT_EQ(counter->ticks, 0);
    clock_->advance(0.1);
    turn();
    EXPECT_EQ(counter->ticks, 1);
    clock_->advance(10);
    turn();
    EXPECT_EQ(counter->ticks, 1);
}

TEST_F(TimerTest, NeverFiresAfterInvalidate) {
    int fired = 0;
    auto timer = keep(Timer::scheduledTimer(1.0, false, [&](Timer&) { ++fired; }));
    timer->invalidate();
    clock_->advance(5);
    turn();
    EXPECT_EQ(fired, 0);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(TimerTest, RepeatsSkippingMissedFires) {
    int fired = 0;
    keep(Timer::scheduledTimer(1.0, true, [&](Timer&) { ++fired; }));
    clock_->advance(1.0);
    turn();
    turn(); // the next date lies ahead of the fire just made
    EXPECT_EQ(fired, 1);
    clock_->advance(3.5); // three fires missed while the loop was busy: they count as one
    turn();
    EXPECT_EQ(fired, 2);
    clock_->advance(0.5);
    turn();
    EXPECT_EQ(fired, 3);
}

TEST_F(TimerTest, WaitsWhileTheLoopTracksEventsUnlessScheduledForTheCommonModes) {
    int fired = 0;
    int common = 0;
    keep(Timer::scheduledTimer(1.0, false, [&](Timer&) { ++fired; }));
    keep(Timer::scheduledTimer(
        1.0, false, [&](Timer&) { ++common; }, Timer::Modes::common));
    clock_->advance(2);
    turn(RunLoopMode::eventTracking);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(common, 1);
    RunLoop::main().setCurrentMode(RunLoopMode::eventTracking);
    RunLoop::main().runOnce(0);
    EXPECT_EQ(fired, 0);
    RunLoop::main().setCurrentMode(RunLoopMode::defaultMode);
    RunLoop::main().runOnce(0);
    EXPECT_EQ(fired, 1);
}

TEST_F(TimerTest, KeepsItsTargetAliveUntilItFiresOrIsInvalidated) {
    auto counter = std::make_shared<Counter>();
    std::weak_ptr<Counter> watched = counter;
    auto timer = keep(Timer::scheduledTimer(1.0, std::move(counter), &Counter::tick, false));
    EXPECT_FALSE(watched.expired());
    clock_->advance(1);
    turn();
    EXPECT_TRUE(watched.expired());

    auto second = std::make_shared<Counter>();
    watched = second;
    auto other = keep(Timer::scheduledTimer(1.0, std::move(second), &Counter::tick, false));
    other->invalidate();
    EXPECT_TRUE(watched.expired());
}

TEST_F(TimerTest, ATimerMayInvalidateAnotherDueAtTheSameTurn) {
    int secondFired = 0;
    std::shared_ptr<Timer> second;
    keep(Timer::scheduledTimer(1.0, false, [&](Timer&) { second->invalidate(); }));
    second = keep(Timer::scheduledTimer(1.5, false, [&](Timer&) { ++secondFired; }));
    clock_->advance(2);
    turn();
    EXPECT_EQ(secondFired, 0);
}

TEST_F(TimerTest, ARunningLoopReturnsOnceItsLastTimerHasFired) {
    int fired = 0;
    keep(Timer::scheduledTimer(0.0, false, [&](Timer&) { ++fired; }));
    RunLoop::main().run();
    EXPECT_EQ(fired, 1);
}
