#include "host/log_switch.h"
#include "tests/host/host_fixture.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class LogSwitchTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        logSwitch.emplace(documents().string());
    }
    bool isOn() { return logSwitch->current().isEnabled(); }

    std::optional<LogSwitch> logSwitch;
};

TEST_F(LogSwitchTest, FollowsEveryWayTheSwitchCanComeAndGo) {
    EXPECT_FALSE(isOn());
    EXPECT_FALSE(isOn());
    enableLog();
    EXPECT_TRUE(isOn());
    EXPECT_TRUE(isOn());
    fs::rename(documents() / "EnableLog", documents() / "Disabled");
    EXPECT_FALSE(isOn());
    fs::rename(documents() / "Disabled", documents() / "EnableLog");
    EXPECT_TRUE(isOn());
    disableLog();
    EXPECT_FALSE(isOn());
    fs::create_directory(documents() / "EnableLog");
    EXPECT_TRUE(isOn());
    fs::remove(documents() / "EnableLog");
    writeFile(documents() / "unrelated.txt", "x");
    EXPECT_FALSE(isOn());
}

TEST_F(LogSwitchTest, FollowsAFolderMadeRemovedOrReplacedAfterTheStart) {
    fs::remove_all(documents());
    EXPECT_FALSE(isOn());
    fs::create_directory(documents());
    enableLog();
    EXPECT_TRUE(isOn());

    LogSwitch watched(documents().string());
    EXPECT_TRUE(watched.current().isEnabled());
    fs::rename(documents(), home() / "Old");
    EXPECT_FALSE(watched.current().isEnabled());
    fs::create_directory(documents());
    enableLog();
    EXPECT_TRUE(watched.current().isEnabled());
    disableLog();
    EXPECT_FALSE(watched.current().isEnabled());
}

TEST_F(LogSwitchTest, FollowsTheTargetOfALinkedSwitchOrFolder) {
    writeFile(home() / "target", "");
    fs::create_symlink(home() / "target", documents() / "EnableLog");
    EXPECT_TRUE(isOn());
    fs::remove(home() / "target");
    EXPECT_FALSE(isOn());
    writeFile(home() / "target", "");
    EXPECT_TRUE(isOn());

    fs::remove_all(documents());
    fs::create_directory(home() / "Elsewhere");
    fs::create_directory_symlink(home() / "Elsewhere", documents());
    LogSwitch linkedFolder(documents().string());
    EXPECT_FALSE(linkedFolder.current().isEnabled());
    writeFile(home() / "Elsewhere" / "EnableLog", "");
    EXPECT_TRUE(linkedFolder.current().isEnabled());
}
