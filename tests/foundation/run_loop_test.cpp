#include "platform/foundation/run_loop.h"
#include "platform/foundation/wait_source.h"
#include "tests/foundation/pipe.h"

#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>
#include <vector>

using foundation::RunLoop;

TEST(RunLoop, CallsAReadyWatchEachTurnUntilSuspendedOrRemoved) {
    RunLoop loop;
    Pipe pipe;
    int calls = 0;
    auto id = loop.addReadabilityWatch(pipe.readEnd(), [&] { ++calls; });
    EXPECT_TRUE(loop.runOnce(0));
    EXPECT_EQ(calls, 0);
    pipe.write("x"); // stays unread: level-triggered, it is called again
    loop.runOnce(5000);
    loop.runOnce(5000);
    EXPECT_EQ(calls, 2);
    loop.suspendWatch(id);
    loop.run(); // a suspended watch keeps nothing going
    EXPECT_FALSE(loop.runOnce(0));
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(loop.resumeWatch(id));
    EXPECT_TRUE(loop.runOnce(5000));
    EXPECT_EQ(calls, 3);
    loop.removeWatch(id);
    EXPECT_FALSE(loop.runOnce(0));
    EXPECT_FALSE(loop.resumeWatch(id));
}

TEST(RunLoop, RemovingAReadyWatchFromAHandlerPreventsItsCall) {
    RunLoop loop;
    Pipe first, second;
    int calls = 0;
    RunLoop::WatchId ids[2] = {0, 0};
    // Each handler removes both, so whichever runs first, the other must not run.
    for (const Pipe* pipe : {&first, &second}) {
        ids[pipe == &second] = loop.addReadabilityWatch(pipe->readEnd(), [&] {
            ++calls;
            loop.removeWatch(ids[0]);
            loop.removeWatch(ids[1]);
        });
        pipe->write("x");
    }
    EXPECT_TRUE(loop.runOnce(5000));
    EXPECT_EQ(calls, 1);
}

// The handler does its own blocking read: alone, it is called without a poll; when the turn is
// bounded or other watches wait, it is polled like them. A suspended watch does not count.
TEST(RunLoop, AWatchAwaitedByItsHandlerIsCalledWithoutAPollOnlyWhenItWaitsAlone) {
    RunLoop loop;
    Pipe awaited, other, suspended;
    int calls = 0, otherCalls = 0;
    loop.suspendWatch(loop.addReadabilityWatch(suspended.readEnd(), [] {}));
    loop.addReadabilityWatch(
        awaited.readEnd(), [&] { ++calls; }, RunLoop::Lifetime::keepsLoopRunning,
        RunLoop::Readiness::awaitedByHandler);
    EXPECT_TRUE(loop.runOnce(0));
    EXPECT_EQ(calls, 0);
    auto otherId = loop.addReadabilityWatch(other.readEnd(), [&] { ++otherCalls; });
    other.write("x");
    EXPECT_TRUE(loop.runOnce(-1));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(otherCalls, 1);
    loop.removeWatch(otherId);
    alarm(30); // ends the test should the loop poll the empty pipe for ever
    EXPECT_TRUE(loop.runOnce(-1));
    alarm(0);
    EXPECT_EQ(calls, 1);
}

namespace {

// Asks for one descriptor and a wait of at most allowed milliseconds; remembers what poll found.
struct RecordingSource final : foundation::WaitSource {
    RecordingSource(int fd, int allowed) : fd(fd), allowed(allowed) {}
    int prepareToWait(std::vector<pollfd>& descriptors) override {
        descriptors.push_back({fd, POLLIN, 0});
        return allowed;
    }
    void waitEnded(std::span<const pollfd> descriptors) override {
        ASSERT_EQ(descriptors.size(), 1u);
        found.push_back(descriptors[0].revents);
    }
    int fd, allowed;
    std::vector<short> found;
};

} // namespace

// Before each wait, observers run until removed, and wait sources add their descriptors and bound
// the wait; neither keeps run() going.
TEST(RunLoop, ObserversAndWaitSourcesTakePartInEachWait) {
    RunLoop loop;
    Pipe sourced, watched;
    auto source = std::make_shared<RecordingSource>(sourced.readEnd(), 0);
    loop.addWaitSource(source);
    loop.run();
    std::string order;
    auto observer = loop.addBeforeWaitingObserver([&] { order += "observer "; });
    loop.addReadabilityWatch(watched.readEnd(), [&] { order += "watch "; });
    EXPECT_TRUE(loop.runOnce(-1)); // would wait for ever without the source's bound
    sourced.write("x");
    watched.write("y");
    EXPECT_TRUE(loop.runOnce(-1));
    loop.removeBeforeWaitingObserver(observer);
    EXPECT_TRUE(loop.runOnce(-1));
    EXPECT_EQ(order, "observer observer watch watch ");
    EXPECT_EQ(source->found, (std::vector<short>{0, POLLIN, POLLIN}));
}
