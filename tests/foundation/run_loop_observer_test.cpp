#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/timer.h"
#include "tests/foundation/pipe.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using foundation::RunLoop;

namespace {

void drain(const Pipe& pipe) {
    char byte = 0;
    EXPECT_EQ(::read(pipe.readEnd(), &byte, 1), 1);
}

} // namespace

TEST(RunLoopObservers, RunBeforeEachWaitUntilRemoved) {
    RunLoop loop;
    Pipe pipe;
    std::string order;
    loop.addReadabilityWatch(pipe.readEnd(), [&] {
        order += "handler ";
        drain(pipe);
    });
    auto id = loop.addBeforeWaitingObserver([&] { order += "observer "; });
    pipe.write("x");
    loop.runOnce(5000);
    loop.runOnce(0);
    loop.removeBeforeWaitingObserver(id);
    loop.runOnce(0);
    EXPECT_EQ(order, "observer handler observer ");
}

TEST(RunLoopObservers, AnObserverMayRemoveItselfAndOthers) {
    RunLoop loop;
    Pipe pipe;
    loop.addReadabilityWatch(pipe.readEnd(), [] {});
    int first = 0;
    int second = 0;
    RunLoop::ObserverId secondId = 0;
    RunLoop::ObserverId firstId = loop.addBeforeWaitingObserver([&] {
        ++first;
        loop.removeBeforeWaitingObserver(firstId);
        loop.removeBeforeWaitingObserver(secondId);
    });
    secondId = loop.addBeforeWaitingObserver([&] { ++second; });
    loop.runOnce(0);
    loop.runOnce(0);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}
