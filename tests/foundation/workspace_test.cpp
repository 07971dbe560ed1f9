#include "platform/foundation/run_loop.h"
#include "platform/foundation/workspace.h"
#include "tests/support/temporary_home.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using foundation::RunLoop;
using foundation::URL;
using foundation::Workspace;

namespace {

using namespace std::chrono_literals;

constexpr auto patience = 5s;

class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* saved = std::getenv(name))
            saved_ = saved;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironmentVariable() {
        if (saved_)
            ::setenv(name_.c_str(), saved_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// Turns the main loop, which reaps finished openers, while waiting for something to happen.
template <typename Condition> bool waitUntil(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (!RunLoop::main().runOnce(10))
            std::this_thread::sleep_for(10ms);
    }
    return true;
}

enum class ChildState { running, finishedUnreaped, gone };

// Looks at a child without reaping it.
ChildState stateOf(pid_t pid) {
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return ChildState::gone; // ECHILD: reaped, or never our child
    return info.si_pid == 0 ? ChildState::running : ChildState::finishedUnreaped;
}

bool hasAnyChild() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

// The opener stand-in records how it was started, then lingers while a hold file exists.
std::string openerScript(const std::filesystem::path& folder) {
    return "#!/bin/sh\n"
           "dir='" +
           folder.string() +
           "'\n"
           "stdin=$(readlink /proc/$$/fd/0)\n"
           "stdout=$(readlink /proc/$$/fd/1)\n"
           "stderr=$(readlink /proc/$$/fd/2)\n"
           "read -r pid comm state ppid pgrp session rest < /proc/$$/stat\n"
           "printf '%s' \"$1\" > \"$dir/argument\"\n"
           "printf 'pid=%s\\nparent=%s\\nsession=%s\\nargc=%s\\nstdin=%s\\nstdout=%s\\nstderr=%s\\n' \\\n"
           "    \"$$\" \"$PPID\" \"$session\" \"$#\" \"$stdin\" \"$stdout\" \"$stderr\" > "
           "\"$dir/record.tmp\"\n"
           "mv \"$dir/record.tmp\" \"$dir/record\"\n"
           "i=0\n"
           "while [ -e \"$dir/hold\" ] && [ $i -lt 1000 ]; do sleep 0.01; i=$((i + 1)); done\n";
}

} // namespace

class WorkspaceOpener : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        folder_ = makeFolder("opener");
        bin_ = makeFolder("bin");
        opener_ = bin_ / "vantrel-test-opener";
        writeFile(opener_, openerScript(folder_));
        std::filesystem::permissions(opener_, std::filesystem::perms::owner_all);
    }

    void TearDown() override {
        // Let a lingering opener end, so no test leaves a child behind.
        std::filesystem::remove(folder_ / "hold");
        if (pid_ > 0) {
            EXPECT_TRUE(waitUntil([&] { return stateOf(pid_) == ChildState::gone; }));
        }
        TemporaryHome::TearDown();
    }

    const std::filesystem::path& opener() const { return opener_; }
    const std::filesystem::path& bin() const { return bin_; }

    // Waits for the opener's record, as key and value pairs.
    std::map<std::string, std::string> awaitRecord() {
        std::map<std::string, std::string> record;
        if (!waitUntil([&] { return std::filesystem::exists(folder_ / "record"); })) {
            ADD_FAILURE() << "the opener never ran";
            return record;
        }
        std::istringstream lines(readFile(folder_ / "record"));
        for (std::string line; std::getline(lines, line);) {
            auto equals = line.find('=');
            if (equals != std::string::npos)
                record[line.substr(0, equals)] = line.substr(equals + 1);
        }
        pid_ = static_cast<pid_t>(std::stol(record.at("pid")));
        return record;
    }
    std::string receivedArgument() const { return readFile(folder_ / "argument"); }
    void holdOpener() const { writeFile(folder_ / "hold", ""); }
    void releaseOpener() const { std::filesystem::remove(folder_ / "hold"); }
    pid_t openerPid() const { return pid_; }

private:
    std::filesystem::path folder_;
    std::filesystem::path bin_;
    std::filesystem::path opener_;
    pid_t pid_ = 0;
};

TEST_F(WorkspaceOpener, StartsTheOpenerDirectlyAwayFromOurStreamsAndSession) {
    const std::string text = "https://example.com/a;b&c=$HOME'd'(e)*!,+=:@?q=%C3%A9%20x&r=$(id)#frag";
    auto url = URL::URLWithString(text);
    ASSERT_TRUE(url.has_value());
    ASSERT_TRUE(Workspace(opener()).openURL(*url));
    auto record = awaitRecord();
    EXPECT_EQ(record["argc"], "1");
    EXPECT_EQ(receivedArgument(), text);
    EXPECT_EQ(record["parent"], std::to_string(::getpid())) << "started through a shell";
    EXPECT_EQ(record["stdin"], "/dev/null");
    EXPECT_EQ(record["stdout"], "/dev/null");
    EXPECT_EQ(record["stderr"], "/dev/null");
    EXPECT_EQ(record["session"], record["pid"]);
}

// The opener is found through PATH; finishing, it is reaped (see TearDown).
TEST_F(WorkspaceOpener, PassesAFileURLPercentEncoded) {
    const char* saved = std::getenv("PATH");
    ScopedEnvironmentVariable path("PATH", bin().string() + ":" + (saved ? saved : "/usr/bin:/bin"));
    ASSERT_TRUE(Workspace("vantrel-test-opener").openURL(URL::fileURLWithPath("/tmp/my file \xC3\xA9.txt")));
    auto record = awaitRecord();
    EXPECT_EQ(record["argc"], "1");
    EXPECT_EQ(receivedArgument(), "file:///tmp/my%20file%20%C3%A9.txt");
}

TEST_F(WorkspaceOpener, FailsForAMissingOpener) {
    auto url = *URL::URLWithString("https://example.com/");
    EXPECT_FALSE(Workspace(home() / "no-such-opener").openURL(url));
    {
        ScopedEnvironmentVariable path("PATH", makeFolder("empty bin").string());
        EXPECT_FALSE(Workspace("vantrel-no-such-opener").openURL(url));
    }
    EXPECT_FALSE(hasAnyChild());
}

TEST_F(WorkspaceOpener, DoesNotKeepTheMainLoopRunning) {
    holdOpener();
    ASSERT_TRUE(Workspace(opener()).openURL(*URL::URLWithString("https://example.com/")));
    awaitRecord();
    RunLoop::main().run();
    EXPECT_EQ(stateOf(openerPid()), ChildState::running) << "run() waited for the opener to end";
    releaseOpener();
    EXPECT_TRUE(waitUntil([&] { return stateOf(openerPid()) == ChildState::gone; }));
}

// With room for one, each program starts only once the one before has ended and been reaped;
// while some still wait, they keep the loop running.
TEST_F(WorkspaceOpener, ProgramsBeyondTheLimitWaitTheirTurnInOrder) {
    using foundation::DetachedProcesses;
    auto record = home() / "order";
    {
        DetachedProcesses processes(1);
        for (int i = 0; i < 5; ++i) {
            std::string command = "echo " + std::to_string(i) + " >> '" + record.string() + "'";
            EXPECT_EQ(processes.startInTurn(
                          {{"/bin/sh", "-c", command}, DetachedProcesses::ProgramLookup::exactPath}),
                      0);
        }
        RunLoop::main().run();
        EXPECT_TRUE(waitUntil([&] { return readFile(record).size() == 10 && !hasAnyChild(); }));
    }
    EXPECT_EQ(readFile(record), "0\n1\n2\n3\n4\n");
}
