#include "platform/foundation/run_loop.h"
#include "platform/foundation/wait_source.h"
#include "tests/foundation/pipe.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace foundation;

namespace {

// Asks for one descriptor and a wait of at most allowed milliseconds; remembers what poll found.
class RecordingSource final : public WaitSource {
public:
    RecordingSource(int fd, int allowed) : fd_(fd), allowed_(allowed) {}
    int prepareToWait(std::vector<pollfd>& descriptors) override {
        descriptors.push_back({fd_, POLLIN, 0});
        return allowed_;
    }
    void waitEnded(std::span<const pollfd> descriptors) override {
        ASSERT_EQ(descriptors.size(), 1u);
        EXPECT_EQ(descriptors[0].fd, fd_);
        found.push_back(descriptors[0].revents);
    }
    std::vector<short> found;

private:
    int fd_;
    int allowed_;
};

} // namespace

TEST(RunLoopWaitSource, ItsDescriptorsArePolledWithTheWatchesAndItHearsWhatCame) {
    RunLoop loop;
    Pipe watched;
    Pipe sourced;
    int watchCalls = 0;
    loop.addReadabilityWatch(watched.readEnd(), [&] { ++watchCalls; });
    auto source = std::make_shared<RecordingSource>(sourced.readEnd(), -1);
    loop.addWaitSource(source);
    sourced.write("x");
    EXPECT_TRUE(loop.runOnce(60000));
    watched.write("y");
    EXPECT_TRUE(loop.runOnce(60000));
    EXPECT_EQ(watchCalls, 1);
    ASSERT_EQ(source->found.size(), 2u);
    EXPECT_TRUE(source->found[0] & POLLIN);
    EXPECT_TRUE(source->found[1] & POLLIN); // still unread
}

TEST(RunLoopWaitSource, BoundsTheWaitAndIsToldWhenNothingCame) {
    RunLoop loop;
    Pipe idle;
    Pipe sourced;
    loop.addReadabilityWatch(idle.readEnd(), [] {});
    auto source = std::make_shared<RecordingSource>(sourced.readEnd(), 0);
    loop.addWaitSource(source);
    EXPECT_TRUE(loop.runOnce(-1)); // would wait for ever without the source's bound
    EXPECT_EQ(source->found, std::vector<short>{0});
}

TEST(RunLoopWaitSource, NeverKeepsRunGoing) {
    RunLoop loop;
    Pipe sourced;
    auto source = std::make_shared<RecordingSource>(sourced.readEnd(), 0);
    loop.addWaitSource(source);
    loop.run();
    EXPECT_TRUE(source->found.empty());
    EXPECT_TRUE(loop.runOnce(0));
    EXPECT_EQ(source->found.size(), 1u);
}
