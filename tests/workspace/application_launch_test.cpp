#include "platform/foundation/run_loop.h"
#include "platform/workspace/application_launch.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/wait.h>
#include <thread>

using foundation::URL;

namespace {

bool hasAnyChild() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

// Turns the main loop, which reaps finished programs, until the condition holds; a generous
// bound only keeps a broken build from hanging.
template <typename Condition> bool waitUntil(Condition condition) {
    for (int turn = 0; turn < 3000 && !condition(); ++turn) {
        if (!foundation::RunLoop::main().runOnce(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

void writeInfoPlist(const std::filesystem::path& bundle, const char* executable, bool binary = false) {
    plist_t info = plist_new_dict();
    if (executable)
        plist_dict_set_item(info, "CFBundleExecutable", plist_new_string(executable));
    char* bytes = nullptr;
    std::uint32_t length = 0;
    (binary ? plist_to_bin : plist_to_xml)(info, &bytes, &length);
    std::filesystem::create_directories(bundle / "Contents");
    writeFile(bundle / "Contents/Info.plist", std::string_view(bytes, length));
    std::free(bytes);
    plist_free(info);
}

} // namespace

class ApplicationLaunch : public TemporaryHome {
protected:
    void TearDown() override {
        EXPECT_TRUE(waitUntil([] { return !hasAnyChild(); })) << "a started program was never reaped";
        TemporaryHome::TearDown();
    }
    // A stand-in manager application: records its arguments, each ended by a NUL, then its session
    // and standard streams.
    void writeStandIn(const std::filesystem::path& path) const {
        std::filesystem::create_directories(path.parent_path());
        writeFile(
            path,
            "#!/bin/sh\ncd '" + home().string() +
                "'\nprintf '%s\\0' \"$0\" \"$@\" > argv.tmp\n"
                "read -r pid comm state ppid pgrp session rest < /proc/$$/stat\n"
                "echo $(($$ - session)) $(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2) >> argv.tmp\n"
                "mv argv.tmp argv\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
};

// A program, or the executable a bundle's Info.plist (XML or binary) names, gets the arguments
// unchanged, in a session of its own with its standard streams on /dev/null.
TEST_F(ApplicationLaunch, LaunchesDetachedWithTheArgumentsUnchanged) {
    const std::vector<std::string> arguments{"checkInRequired",
                                             "/Applications/My App.app",
                                             "it's \"quoted\" $HOME `id` *",
                                             "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x99\x82",
                                             "",
                                             "line\nbreak\ttab"};
    for (const char* name : {"Vantrel Manager \xC3\xA9.app", "Binary.app", "manager"}) {
        auto target = home() / name;
        auto program = target.extension() == ".app" ? target / "Contents/MacOS/Vantrel Manager" : target;
        writeStandIn(program);
        if (program != target)
            writeInfoPlist(target, "Vantrel Manager", target.stem() == "Binary");
        std::filesystem::remove(home() / "argv");
        ASSERT_TRUE(foundation::launchApplication(URL::fileURLWithPath(target), arguments));
        ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(home() / "argv"); }));
        std::string expected = program.string() + '\0';
        for (const auto& argument : arguments)
            expected += argument + '\0';
        EXPECT_EQ(readFile(home() / "argv"), expected + "0 /dev/null /dev/null /dev/null\n") << name;
    }
}

// Missing, not executable, no program at all, a bundle without a usable Info.plist or naming an
// executable outside itself or none that exists, or no file URL.
TEST_F(ApplicationLaunch, FailuresStartNothingAndNameTheFile) {
    writeFile(home() / "plain", "#!/bin/sh\n");
    writeFile(home() / "text", "no interpreter line, no machine code\n");
    std::filesystem::permissions(home() / "text", std::filesystem::perms::owner_all);
    writeFile(makeFolder("BadInfo.app/Contents") / "Info.plist", "not a property list");
    writeInfoPlist(home() / "NoKey.app", nullptr);
    writeInfoPlist(home() / "Escaping.app", "../../text");
    writeStandIn(home() / "Escaping.app/Contents/MacOS/other");
    writeInfoPlist(home() / "Missing.app", "Manager");
    for (std::string path :
         {"missing", "plain", "text", "BadInfo.app", "NoKey.app", "Escaping.app", "Missing.app"}) {
        std::string error;
        EXPECT_FALSE(
            foundation::launchApplication(URL::fileURLWithPath(home() / path), {"checkInRequired"}, &error));
        EXPECT_NE(error.find((home() / path).string()), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(
        foundation::launchApplication(URL::URLWithString("https://example.com/app").value(), {}, &error));
    EXPECT_NE(error.find("https://example.com/app"), std::string::npos) << error;
    EXPECT_FALSE(hasAnyChild());
}
