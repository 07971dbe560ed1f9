#include "checkin/check_in_required_controller.h"
#include "platform/preferences/user_defaults.h"
#include "tests/support/temporary_home.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

// Ends nothing: remembers that the launcher would have ended, and with which status.
class RecordingController : public CheckInRequiredController {
public:
    std::optional<int> exitStatus;

protected:
    void exitProcess(int status) override { exitStatus = status; }
};

class Launch : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        config = home() / ".local/share/Vantrel/config";
        manager = home() / "Manager App" / "run manager";
        record = home() / "arguments.txt";
        std::filesystem::create_directories(config.parent_path());
        std::filesystem::create_directories(manager.parent_path());
        writeFile(manager, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + record.string() + ".part\"\nmv \"" +
                               record.string() + ".part\" \"" + record.string() + "\"\n");
        ::chmod(manager.c_str(), 0755);
    }

    // Launches with the configuration given; the exit status and what the stand-in manager was started
    // with, if it was.
    std::optional<std::string> launchWith(std::string_view configuration) {
        std::filesystem::remove(record);
        writeFile(config, configuration);
        auto controller = std::make_shared<RecordingController>();
        controller->launch(nullptr);
        for (int attempt = 0; controller->exitStatus && attempt < 3000; ++attempt) {
            if (std::filesystem::exists(record))
                return std::to_string(*controller->exitStatus) + ": " + readFile(record);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return controller->exitStatus ? std::optional<std::string>("ended without starting the manager")
                                      : std::nullopt;
    }
    static std::string plist(const std::string& entries) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + entries +
               "</dict></plist>\n";
    }
    std::string managerEntry(const std::filesystem::path& path) const {
        return "<key>last_known_path</key><string>" + path.string() + "</string>";
    }

    std::filesystem::path config, manager, record;
};

} // namespace

TEST_F(Launch, HandsOffOnlyWhenTheConfigurationNamesBothKeys) {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.removeValueForKey("apppath");
    const std::optional<std::string> keywordAlone = "0: checkInRequired\n";
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"<?xml version=\"1.0\"?><plist><array/></plist>", std::nullopt},
        {plist(managerEntry(manager)), std::nullopt},
        {plist("<key>last_opened</key><true/>"), std::nullopt},
        {plist("<key>last_opened</key><true/><key>last_known_path</key><integer>7</integer>"), std::nullopt},
        // Any value of last_opened counts, and other keys do not matter.
        {plist("<key>last_opened</key><false/>" + managerEntry(manager)), keywordAlone},
        {plist("<key>last_opened</key><date>2026-12-01T10:00:00Z</date><key>other</key><integer>3</integer>" +
               managerEntry(manager)),
         keywordAlone},
    };
    for (const auto& [configuration, expected] : cases)
        EXPECT_EQ(launchWith(configuration), expected) << configuration;

    defaults.setValue(std::string("/opt/Some App/Ünïcode \"quoted\""), "apppath");
    EXPECT_EQ(launchWith(plist("<key>last_opened</key><true/>" + managerEntry(manager))),
              "0: checkInRequired\n/opt/Some App/Ünïcode \"quoted\"\n");
}

TEST_F(Launch, StaysAndSaysWhyWhenTheManagerCannotStart) {
    auto bundle = home() / "Manager.app";
    std::filesystem::create_directories(bundle / "Contents");
    writeFile(bundle / "Contents/Info.plist", plist("<key>CFBundleExecutable</key><string>Manager</string>"));
    for (const auto& path : {home() / "nowhere", bundle}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(launchWith(plist("<key>last_opened</key><true/>" + managerEntry(path))), std::nullopt);
        EXPECT_NE(testing::internal::GetCapturedStderr().find(path.string()), std::string::npos) << path;
    }
}
