#include "platform/foundation/clock.h"
#include "platform/foundation/file_handle.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/wait_source.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace foundation;

namespace {

// A pipe whose ends close when the test ends, unless a test closed them first.
struct Pipe {
    int ends[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe(ends), 0); }
    ~Pipe() { closeEnd(0), closeEnd(1); }
    int readEnd() const { return ends[0]; }
    void write(std::string_view text) const {
        EXPECT_EQ(::write(ends[1], text.data(), text.size()), ssize_t(text.size()));
    }
    void closeEnd(int which) { ::close(std::exchange(ends[which], -1)); }
};

// Asks for one descriptor and no wait at all; remembers what poll found.
struct RecordingSource final : WaitSource {
    explicit RecordingSource(int fd) : fd(fd) {}
    int prepareToWait(std::vector<pollfd>& descriptors) override {
        descriptors.push_back({fd, POLLIN, 0});
        return 0;
    }
    void waitEnded(std::span<const pollfd> descriptors) override {
        found.push_back(descriptors.size() == 1 && descriptors[0].fd == fd ? descriptors[0].revents : -1);
    }
    int fd;
    std::vector<short> found;
};

// Observes the data notifications of one handle (or of all, for none); remove it when done.
NotificationCenter::ObserverToken observe(const FileHandle* handle, std::function<void()> onPost) {
    return NotificationCenter::defaultCenter().addObserverForName(
        std::string(FileHandle::DataAvailableNotification), handle,
        [onPost](const foundation::Notification&) { onPost(); });
}

struct Counter {
    void tick(Timer&) { ++ticks; }
    int ticks = 0;
};

int senderA = 0;
int senderB = 0;

} // namespace

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

// Before each wait, observers run until removed, and wait sources add their descriptors and bound
// the wait; neither keeps run() going.
TEST(RunLoop, ObserversAndWaitSourcesTakePartInEachWait) {
    RunLoop loop;
    Pipe sourced, watched;
    auto source = std::make_shared<RecordingSource>(sourced.readEnd());
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

TEST(FileHandleNotification, PostsOncePerArmingWithTheHandleAsObject) {
    Pipe pipe, other;
    FileHandle handle(pipe.readEnd()), otherHandle(other.readEnd());
    int posts = 0, otherPosts = 0;
    auto token = observe(&handle, [&] { ++posts; }),
         otherToken = observe(&otherHandle, [&] { ++otherPosts; });
    otherHandle.waitForDataInBackgroundAndNotify();
    pipe.write("unread data stays ready");
    for (int arming = 1; arming <= 2; ++arming) {
        handle.waitForDataInBackgroundAndNotify();
        for (int turn = 0; turn < 3; ++turn)
            RunLoop::main().runOnce(0);
        EXPECT_EQ(posts, arming);
    }
    EXPECT_EQ(otherPosts, 0);
    NotificationCenter::defaultCenter().removeObserver(token);
    NotificationCenter::defaultCenter().removeObserver(otherToken);
}

// The host reads standard input from the observer itself: every read and the end arrive.
TEST(FileHandleNotification, AnObserverThatReadsAtOnceGetsEveryReadAndTheEnd) {
    Pipe pipe;
    FileHandle handle(pipe.readEnd());
    handle.setObserverReadsAtOnce(true);
    std::string received;
    bool ended = false;
    auto token = observe(&handle, [&] {
        auto data = handle.availableData();
        ended = data.empty();
        received += ByteView(data);
        if (!ended)
            handle.waitForDataInBackgroundAndNotify();
    });
    handle.waitForDataInBackgroundAndNotify();
    // A writer slower than the reader: the observer's read waits for it.
    std::thread writer([&pipe] {
        pipe.write("first ");
        pipe.write("second");
        pipe.closeEnd(1);
    });
    while (!ended && RunLoop::main().runOnce(-1)) {
    }
    writer.join();
    EXPECT_EQ(received, "first second");
    EXPECT_FALSE(RunLoop::main().runOnce(0)) << "nothing should be left armed";
    NotificationCenter::defaultCenter().removeObserver(token);
}

// Pieces larger than the pipe go out whole and in order.
TEST(FileHandleWriting, WritesPiecesLargerThanThePipeWholeAndInOrder) {
    Pipe pipe;
    std::string first(300 * 1024 + 3, 'A'), second(1024 * 1024 + 5, 'b');
    for (std::size_t i = 0; i < second.size(); i += 97)
        second[i] = static_cast<char>('c' + i % 13);
    std::thread writer([&] {
        EXPECT_TRUE(
            FileHandle(pipe.ends[1]).writeData({ByteView("header:"), ByteView(first), ByteView(second)}));
        pipe.closeEnd(1);
    });
    FileHandle handle(pipe.readEnd());
    std::string received;
    for (auto data = handle.availableData(); !data.empty(); data = handle.availableData())
        received += ByteView(data);
    writer.join();
    EXPECT_TRUE(received == "header:" + first + second);
}

class AppendingHandle : public TemporaryHome {};

// The log file: created private to the user, written after what others appended. A FIFO without a
// reader would block the opening for good; a device would take lines nobody keeps.
TEST_F(AppendingHandle, CreatesAPrivateFileAppendsAfterOthersAndRefusesWhatIsNotARegularFile) {
    mode_t savedMask = ::umask(0);
    auto path = home() / "log.txt";
    auto first = FileHandle::forAppendingAtPath(path);
    ::umask(savedMask);
    auto second = FileHandle::forAppendingAtPath(path);
    ASSERT_TRUE(first && second);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_TRUE(first->writeData(ByteView("1")) && second->writeData(ByteView("22")) &&
                first->writeData(ByteView("333")));
    EXPECT_EQ(readFile(path), "122333");
    ASSERT_EQ(::mkfifo((home() / "fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", home() / "device");
    for (const auto& path :
         {makeFolder("folder"), home() / "missing/log.txt", home() / "fifo", home() / "device"})
        EXPECT_EQ(FileHandle::forAppendingAtPath(path), nullptr) << path;
    EXPECT_FALSE(std::filesystem::exists(home() / "missing"));
}

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

// A timer may invalidate another due in the same turn; a running loop returns once no timer is left.
TEST_F(TimerTest, ATimerMayInvalidateAnotherDueAtTheSameTurn) {
    int secondFired = 0;
    std::shared_ptr<Timer> second;
    keep(Timer::scheduledTimer(1.0, false, [&](Timer&) { second->invalidate(); }));
    second = counting(1.5, secondFired);
    clock_->advance(2);
    RunLoop::main().run();
    EXPECT_EQ(secondFired, 0);
}

// Observers of the name, with no object or the sender's, run in the order they were added.
TEST(NotificationCenter, DeliversInOrderToObserversOfTheNameAndSenderUntilRemoved) {
    NotificationCenter center;
    std::string calls;
    auto record = [&](std::string who) { return [&calls, who](const Notification&) { calls += who; }; };
    center.addObserverForName("Ping", nullptr, record("any "));
    center.addObserverForName("Ping", &senderA, record("a "));
    center.addObserverForName("Pong", nullptr, record("pong "));
    center.removeObserver(center.addObserverForName("Ping", nullptr, record("removed ")));
    center.addObserverForName("Ping", nullptr, record("any2 "));
    center.postNotificationName("Ping", &senderA);
    calls += "| ";
    center.postNotificationName("Ping", &senderB);
    EXPECT_EQ(calls, "any a any2 | any any2 ");
}
