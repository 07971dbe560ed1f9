#include "host/log_switch.h"
#include "tests/host/host_fixture.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class LogSwitchTest : public HostFixture {
protected:
    // A switch that has tested once with its folder watched, where it can be.
    std::unique_ptr<LogSwitch> settledSwitch() const {
        auto logSwitch = std::make_unique<LogSwitch>(documents().string());
        logSwitch->watchFolder();
        logSwitch->current();
        return logSwitch;
    }
    static bool isOn(LogSwitch& logSwitch) { return logSwitch.current().isEnabled(); }
};

TEST_F(LogSwitchTest, FollowsAFolderMadeRemovedOrReplacedAfterTheStart) {
    fs::remove_all(documents());
    auto unwatched = settledSwitch();
    EXPECT_FALSE(isOn(*unwatched));
    fs::create_directory(documents());
    enableLog();
    EXPECT_TRUE(isOn(*unwatched));

    auto watched = settledSwitch();
    fs::rename(documents(), home() / "Old");
    EXPECT_FALSE(isOn(*watched));
    fs::create_directory(documents());
    enableLog();
    EXPECT_TRUE(isOn(*watched));
    fs::rename(documents() / "EnableLog", documents() / "Disabled");
    EXPECT_FALSE(isOn(*watched));
    fs::create_directory(documents() / "EnableLog");
    EXPECT_TRUE(isOn(*watched));
}

TEST_F(LogSwitchTest, FollowsTheTargetOfALinkedSwitchOrFolder) {
    writeFile(home() / "target", "");
    fs::create_symlink(home() / "target", documents() / "EnableLog");
    auto logSwitch = settledSwitch();
    fs::remove(home() / "target");
    EXPECT_FALSE(isOn(*logSwitch));
    writeFile(home() / "target", "");
    EXPECT_TRUE(isOn(*logSwitch));

    fs::remove_all(documents());
    fs::create_directory(home() / "Elsewhere");
    fs::create_directory_symlink(home() / "Elsewhere", documents());
    auto linkedFolder = settledSwitch();
    EXPECT_FALSE(isOn(*linkedFolder));
    writeFile(home() / "Elsewhere" / "EnableLog", "");
    EXPECT_TRUE(isOn(*linkedFolder));
}
