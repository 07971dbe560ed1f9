#include "platform/foundation/run_loop.h"
#include "platform/foundation/workspace.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using foundation::RunLoop;
using foundation::URL;
using foundation::Workspace;

namespace {

// Turns the main loop, which reaps finished programs, until the condition holds; a generous
// bound only keeps a broken build from hanging.
template <typename Condition> bool waitUntil(Condition condition) {
    for (int turn = 0; turn < 3000 && !condition(); ++turn) {
        if (!RunLoop::main().runOnce(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

bool hasAnyChild() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

} // namespace

class WorkspaceOpener : public TemporaryHome {};

// Found on PATH and started without a shell (we are its parent), in a session of its own with its
// streams on /dev/null; the main loop does not wait for it, and once it ends it is reaped.
TEST_F(WorkspaceOpener, StartsTheOpenerDirectlyAwayFromOurStreamsAndSession) {
    auto bin = makeFolder("bin"), folder = makeFolder("opener");
    writeFile(
        bin / "vantrel-test-opener",
        "#!/bin/sh\ncd '" + folder.string() +
            "'\nread -r pid comm state ppid pgrp session rest < /proc/$$/stat\n"
            "echo $PPID $(($$ - session)) $# $(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2) > tmp\n"
            "printf '%s' \"$1\" >> tmp\nmv tmp record\nwhile [ -e hold ]; do sleep 0.01; done\n");
    std::filesystem::permissions(bin / "vantrel-test-opener", std::filesystem::perms::owner_all);
    writeFile(folder / "hold", "");
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    ::setenv("PATH", (bin.string() + ":" + savedPath).c_str(), 1);
    const std::string text = "https://example.com/a;b&c=$HOME'd'(e)*!,+=:@?q=%C3%A9%20x&r=$(id)#frag";
    bool opened = Workspace("vantrel-test-opener").openURL(URL::URLWithString(text).value());
    ::setenv("PATH", savedPath.c_str(), 1);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(folder / "record"); }));
    EXPECT_EQ(readFile(folder / "record"),
              std::to_string(::getpid()) + " 0 1 /dev/null /dev/null /dev/null\n" + text);
    RunLoop::main().run();
    EXPECT_TRUE(hasAnyChild()) << "run() waited for the opener to end";
    std::filesystem::remove(folder / "hold");
    EXPECT_TRUE(waitUntil([] { return !hasAnyChild(); }));
}
