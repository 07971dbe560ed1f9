#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/timer.h"

#include <gtest/gtest.h>

using foundation::RunLoop;
using foundation::RunLoopMode;
using foundation::Timer;

namespace {

struct Counter {
    void tick(Timer&) { ++ticks; }
    int ticks = 0;
};

} // namespace

class TimerTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (auto& timer : timers_)
            timer->invalidate();
        turn();
    }
    std::shared_ptr<Timer> keep(std::shared_ptr<Timer> timer) {
        return timers_.emplace_back(std::move(timer));
    }
    std::shared_ptr<Timer> counting(double interval, int& fired, bool repeats = false,
                                    Timer::Modes modes = Timer::Modes::defaultMode) {
        return keep(Timer::scheduledTimer(
            interval, repeats, [&fired](Timer&) { ++fired; }, modes));
    }
    // Turns the main run loop once without waiting.
    static void turn(RunLoopMode mode = RunLoopMode::defaultMode) { RunLoop::main().runOnce(0, mode); }

    foundation::ScopedManualClock clock_;

private:
    std::vector<std::shared_ptr<Timer>> timers_;
};

// A timer fires once, when due, and keeps its target alive until then; an invalidated one never
// fires and lets its target go.
TEST_F(TimerTest, FiresOnceWhenDueUnlessInvalidated) {
    auto counter = std::make_shared<Counter>(), other = std::make_shared<Counter>();
    std::weak_ptr<Counter> target = counter, otherTarget = other;
    keep(Timer::scheduledTimer(2.0, std::move(counter), &Counter::tick, false));
    keep(Timer::scheduledTimer(1.0, std::move(other), &Counter::tick, false))->invalidate();
    EXPECT_TRUE(otherTarget.expired());
    clock_->advance(1.5);
    turn();
    auto watched = target.lock();
    ASSERT_TRUE(watched);
    clock_->advance(0.5);
    turn();
    clock_->advance(10);
    turn();
    EXPECT_EQ(watched->ticks, 1);
    watched.reset();
    EXPECT_TRUE(target.expired());
}

TEST_F(TimerTest, RepeatsSkippingMissedFires) {
    int fired = 0;
    counting(1.0, fired, true);
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
    int fired = 0, common = 0;
    counting(1.0, fired);
    counting(1.0, common, false, Timer::Modes::common);
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

TEST_F(TimerTest, ATimerMayInvalidateAnotherDueAtTheSameTurn) {
    int secondFired = 0;
    std::shared_ptr<Timer> second;
    keep(Timer::scheduledTimer(1.0, false, [&](Timer&) { second->invalidate(); }));
    second = counting(1.5, secondFired);
    clock_->advance(2);
    turn();
    EXPECT_EQ(secondFired, 0);
}

TEST_F(TimerTest, ARunningLoopReturnsOnceItsLastTimerHasFired) {
    int fired = 0;
    counting(0.0, fired);
    RunLoop::main().run();
    EXPECT_EQ(fired, 1);
}
