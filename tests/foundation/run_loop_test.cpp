#include "platform/foundation/run_loop.h"
#include "tests/foundation/pipe.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

using foundation::RunLoop;

TEST(RunLoop, BackgroundWatchDoesNotKeepRunGoing) {
    RunLoop loop;
    Pipe pipe;
    pipe.write("ready");
    int calls = 0;
    // Stopping from the handler keeps a faulty loop from spinning for ever on the ready pipe.
    auto id = loop.addReadabilityWatch(
        pipe.readEnd(),
        [&] {
            ++calls;
            loop.stop();
        },
        RunLoop::Lifetime::background);
    loop.run();
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(loop.hasWatch(id));
    // runOnce still serves it.
    EXPECT_TRUE(loop.runOnce(5000));
    EXPECT_EQ(calls, 1);
}

TEST(RunLoop, RunsHandlerWhenDataArrives) {
    RunLoop loop;
    Pipe pipe;
    int calls = 0;
    auto id = loop.addReadabilityWatch(pipe.readEnd(), [&] { ++calls; });
    EXPECT_TRUE(loop.runOnce(0));
    EXPECT_EQ(calls, 0);
    pipe.write("x");
    EXPECT_TRUE(loop.runOnce(5000));
    EXPECT_EQ(calls, 1);
    // Level-triggered: unread data keeps calling the handler.
    EXPECT_TRUE(loop.runOnce(5000));
    EXPECT_EQ(calls, 2);
    loop.removeWatch(id);
    EXPECT_FALSE(loop.hasWatch(id));
    EXPECT_FALSE(loop.runOnce(0));
}

TEST(RunLoop, RunReturnsOnceTheLastKeepingWatchIsRemoved) {
    RunLoop loop;
    Pipe first;
    Pipe second;
    Pipe background;
    std::vector<int> calls;
    RunLoop::WatchId firstId = 0;
    RunLoop::WatchId secondId = 0;
    loop.addReadabilityWatch(
        background.readEnd(), [] {}, RunLoop::Lifetime::background);
    firstId = loop.addReadabilityWatch(first.readEnd(), [&] {
        calls.push_back(1);
        loop.removeWatch(firstId);
        second.write("go");
    });
    secondId = loop.addReadabilityWatch(second.readEnd(), [&] {
        calls.push_back(2);
        loop.removeWatch(secondId);
    });
    first.write("go");
    loop.run();
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
}

TEST(RunLoop, RemovingAReadyWatchFromAHandlerPreventsItsCall) {
    RunLoop loop;
    Pipe first;
    Pipe second;
    int calls = 0;
    RunLoop::WatchId firstId = 0;
    RunLoop::WatchId secondId = 0;
    // Each handler removes the other, so whichever runs first, the other must not run.
    firstId = loop.addReadabilityWatch(first.readEnd(), [&] {
        ++calls;
        loop.removeWatch(firstId);
        loop.removeWatch(secondId);
    });
    secondId = loop.addReadabilityWatch(second.readEnd(), [&] {
        ++calls;
        loop.removeWatch(firstId);
        loop.removeWatch(secondId);
    });
    first.write("x");
    second.write("x");
    EXPECT_TRUE(loop.runOnce(5000));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(loop.hasWatch(firstId));
    EXPECT_FALSE(loop.hasWatch(secondId));
}

TEST(RunLoop, StopEndsRunWhileWatchesRemain) {
    RunLoop loop;
    Pipe pipe;
    int calls = 0;
    auto id = loop.addReadabilityWatch(pipe.readEnd(), [&] {
        ++calls;
        loop.stop();
    });
    pipe.write("x"); // stays unread, so the watch stays ready
    loop.run();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(loop.hasWatch(id));
    // A stopped loop runs again on the next run().
    loop.run();
    EXPECT_EQ(calls, 2);
}

TEST(RunLoopAwaitedByHandler, CallsASoleSuchWatchWithoutWaitingForData) {
    RunLoop loop;
    Pipe pipe;
    int calls = 0;
    auto id = loop.addReadabilityWatch(
        pipe.readEnd(), [&] { ++calls; }, RunLoop::Lifetime::keepsLoopRunning,
        RunLoop::Readiness::awaitedByHandler);
    // Nothing written: the handler is trusted to wait, and here it does not.
    EXPECT_TRUE(loop.runOnce(-1));
    EXPECT_EQ(calls, 1);
    loop.removeWatch(id);
}

TEST(RunLoopAwaitedByHandler, PollsWhenTheTurnIsBoundedOrOthersWait) {
    RunLoop loop;
    Pipe pipe;
    Pipe other;
    int calls = 0;
    int otherCalls = 0;
    loop.addReadabilityWatch(
        pipe.readEnd(), [&] { ++calls; }, RunLoop::Lifetime::keepsLoopRunning,
        RunLoop::Readiness::awaitedByHandler);
    EXPECT_TRUE(loop.runOnce(0));
    EXPECT_EQ(calls, 0);
    auto otherId = loop.addReadabilityWatch(other.readEnd(), [&] { ++otherCalls; });
    other.write("x");
    EXPECT_TRUE(loop.runOnce(-1));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(otherCalls, 1);
    loop.removeWatch(otherId);
    pipe.write("y");
    EXPECT_TRUE(loop.runOnce(5000));
    EXPECT_EQ(calls, 1);
}

TEST(RunLoop, SuspendedWatchWaitsUntilResumed) {
    RunLoop loop;
    Pipe pipe;
    pipe.write("x");
    int calls = 0;
    auto id = loop.addReadabilityWatch(pipe.readEnd(), [&] { ++calls; });
    loop.suspendWatch(id);
    // Neither called nor keeping the loop going, though its pipe is readable.
    loop.run();
    EXPECT_FALSE(loop.runOnce(0));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(loop.hasWatch(id));
    EXPECT_TRUE(loop.resumeWatch(id));
    EXPECT_TRUE(loop.runOnce(5000));
    EXPECT_EQ(calls, 1);
    loop.removeWatch(id);
    EXPECT_FALSE(loop.resumeWatch(id));
}

TEST(RunLoop, ASuspendedWatchLeavesAnotherAwaitedByItsHandlerAlone) {
    RunLoop loop;
    Pipe polled;
    Pipe awaited;
    auto suspended = loop.addReadabilityWatch(polled.readEnd(), [] {});
    loop.suspendWatch(suspended);
    int calls = 0;
    loop.addReadabilityWatch(
        awaited.readEnd(),
        [&] {
            ++calls;
            loop.stop();
        },
        RunLoop::Lifetime::keepsLoopRunning, RunLoop::Readiness::awaitedByHandler);
    // Its pipe stays empty: only a call without a poll returns, as the handler's own read would.
    // The alarm ends the test should the loop poll instead.
    alarm(30);
    loop.run();
    alarm(0);
    EXPECT_EQ(calls, 1);
}
