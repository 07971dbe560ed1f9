#include "platform/foundation/run_loop.h"
#include "platform/workspace/application_launch.h"
#include "tests/support/temporary_home.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using foundation::RunLoop;
using foundation::URL;

namespace {

using namespace std::chrono_literals;

// Polls, turning the main loop (which reaps finished programs) in between; bounded at 500 turns.
template <typename Condition> bool waitUntil(Condition condition) {
    for (int turn = 0; turn < 500; ++turn) {
        if (condition())
            return true;
        if (!RunLoop::main().runOnce(10))
            std::this_thread::sleep_for(10ms);
    }
    return condition();
}

bool hasAnyChild() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

std::vector<std::string> splitAtNul(const std::string& bytes) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
        parts.push_back(bytes.substr(start, end - start));
    return parts;
}

void writeInfoPlist(const std::filesystem::path& bundle, plist_t info, bool binary) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    if (binary)
        plist_to_bin(info, &bytes, &length);
    else
        plist_to_xml(info, &bytes, &length);
    std::filesystem::create_directories(bundle / "Contents");
    writeFile(bundle / "Contents/Info.plist", std::string_view(bytes, length));
    std::free(bytes);
    plist_free(info);
}

plist_t infoNaming(const char* executable) {
    plist_t info = plist_new_dict();
    plist_dict_set_item(info, "CFBundleExecutable", plist_new_string(executable));
    return info;
}

} // namespace

// A stand-in manager application records its arguments, each ended by a NUL, and its standard
// streams and session, then leaves.
class ApplicationLaunch : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        records_ = makeFolder("records");
    }
    void TearDown() override {
        EXPECT_TRUE(waitUntil([] { return !hasAnyChild(); })) << "a started program was never reaped";
        TemporaryHome::TearDown();
    }

    std::filesystem::path writeStandIn(const std::filesystem::path& path) const {
        std::filesystem::create_directories(path.parent_path());
        writeFile(path, "#!/bin/sh\n"
                        "dir='" +
                            records_.string() +
                            "'\n"
                            "printf '%s\\0' \"$0\" \"$@\" > \"$dir/argv.tmp\"\n"
                            "read -r pid comm state ppid pgrp session rest < /proc/$$/stat\n"
                            "printf '%s %s %s %s %s' \"$$\" \"$session\" \"$(readlink /proc/$$/fd/0)\" "
                            "\"$(readlink /proc/$$/fd/1)\" \"$(readlink /proc/$$/fd/2)\" > \"$dir/process\"\n"
                            "mv \"$dir/argv.tmp\" \"$dir/argv\"\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    // argv as the stand-in saw it, argv[0] included.
    std::vector<std::string> awaitArguments() const {
        if (!waitUntil([&] { return std::filesystem::exists(records_ / "argv"); })) {
            ADD_FAILURE() << "the application never ran";
            return {};
        }
        return splitAtNul(readFile(records_ / "argv"));
    }
    std::string processRecord() const { return readFile(records_ / "process"); }

    static bool launch(const std::filesystem::path& path, const std::vector<std::string>& arguments,
                       std::string* error = nullptr) {
        return foundation::launchApplication(URL::fileURLWithPath(path), arguments, error);
    }

private:
    std::filesystem::path records_;
};

// Detached: a session of its own, standard streams on /dev/null.
TEST_F(ApplicationLaunch, PassesArgumentsUnchangedAndStartsDetached) {
    auto program = writeStandIn(home() / "Vantrel Manager \xC3\xA9" / "manager");
    std::vector<std::string> arguments{"checkInRequired",
                                       "/Applications/My App.app",
                                       "it's \"quoted\" $HOME `id` *",
                                       "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x99\x82",
                                       "",
                                       "line\nbreak\ttab"};
    ASSERT_TRUE(launch(program, arguments));
    auto received = awaitArguments();
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received[0], program.string());
    EXPECT_EQ(std::vector<std::string>(received.begin() + 1, received.end()), arguments);
    std::istringstream record(processRecord());
    std::string pid, session, in, out, err;
    record >> pid >> session >> in >> out >> err;
    EXPECT_EQ(session, pid);
    EXPECT_EQ(in + " " + out + " " + err, "/dev/null /dev/null /dev/null");
}

TEST_F(ApplicationLaunch, ABundleLaunchesTheExecutableItsInfoPlistNames) {
    for (bool binary : {false, true}) {
        auto bundle = home() / (binary ? "Binary.app" : "Vantrel Manager.app");
        auto program = writeStandIn(bundle / "Contents/MacOS/Vantrel Manager");
        writeInfoPlist(bundle, infoNaming("Vantrel Manager"), binary);
        std::filesystem::remove(home() / "records/argv");
        ASSERT_TRUE(launch(bundle, {"checkInRequired", "/path"}));
        EXPECT_EQ(awaitArguments(), (std::vector<std::string>{program.string(), "checkInRequired", "/path"}));
    }
}

TEST_F(ApplicationLaunch, FailuresStartNothingAndNameTheFile) {
    auto notExecutable = home() / "plain";
    writeFile(notExecutable, "#!/bin/sh\n");
    auto noInfo = makeFolder("NoInfo.app");
    auto badInfo = makeFolder("BadInfo.app/Contents");
    writeFile(badInfo / "Info.plist", "not a property list");
    auto noKey = home() / "NoKey.app";
    writeInfoPlist(noKey, plist_new_dict(), false);
    auto escaping = home() / "Escaping.app";
    writeInfoPlist(escaping, infoNaming("../../plain"), false);
    writeStandIn(home() / "Escaping.app/Contents/MacOS/other");
    auto missingExecutable = home() / "Missing.app";
    writeInfoPlist(missingExecutable, infoNaming("Manager"), false);
    auto notAProgram = home() / "text";
    writeFile(notAProgram, "no interpreter line, no machine code\n");
    std::filesystem::permissions(notAProgram, std::filesystem::perms::owner_all);

    for (const auto& path : {home() / "missing", notExecutable, noInfo, badInfo.parent_path(), noKey,
                             escaping, missingExecutable, notAProgram, std::filesystem::path("/dev/null")}) {
        std::string error;
        EXPECT_FALSE(launch(path, {"checkInRequired"}, &error)) << path;
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(foundation::launchApplication(*URL::URLWithString("https://example.com/app"), {}, &error));
    EXPECT_NE(error.find("https://example.com/app"), std::string::npos) << error;
    EXPECT_FALSE(hasAnyChild());
}
