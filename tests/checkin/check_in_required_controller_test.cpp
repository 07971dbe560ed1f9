#include "checkin/check_in_required_controller.h"
#include "platform/preferences/user_defaults.h"
#include "tests/support/temporary_home.h"

#include <chrono>
#include <gtest/gtest.h>
#include <plist/plist.h>
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
        support = home() / ".local/share/Vantrel";
        std::filesystem::create_directories(support);
        manager = home() / "Manager App" / "run manager";
        std::filesystem::create_directories(manager.parent_path());
        record = home() / "arguments.txt";
        writeFile(manager, "#!/bin/sh\nfor argument in \"$@\"; do printf '%s\\n' \"$argument\"; done > \"" +
                               record.string() + ".part\"\nmv \"" + record.string() + ".part\" \"" +
                               record.string() + "\"\n");
        ::chmod(manager.c_str(), 0755);
        defaults().removeValueForKey("apppath");
        defaults().synchronize();
    }

    static foundation::UserDefaults& defaults() { return foundation::UserDefaults::standardUserDefaults(); }

    void writeConfig(const std::string& entries) {
        writeFile(support / "config",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + entries +
                      "</dict></plist>\n");
    }
    std::string managerEntry() const {
        return "<key>last_known_path</key><string>" + manager.string() + "</string>";
    }

    // What the stand-in manager was started with, once it has written it down.
    std::optional<std::string> managerArguments() const {
        for (int attempt = 0; attempt < 500; ++attempt) {
            if (std::filesystem::exists(record))
                return readFile(record);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::nullopt;
    }

    std::filesystem::path support;
    std::filesystem::path manager;
    std::filesystem::path record;
    std::shared_ptr<RecordingController> controller = std::make_shared<RecordingController>();
};

} // namespace

TEST_F(Launch, FindsTheProductFolderInTheUsersApplicationSupport) {
    EXPECT_EQ(controller->getAppBundle(), support.string());
}

TEST_F(Launch, HandsTheStoredPathToTheManagerAndEnds) {
    defaults().setValue(std::string("/opt/Some App/Ünïcode \"quoted\""), "apppath");
    defaults().synchronize();
    writeConfig("<key>last_opened</key><date>2026-12-01T10:00:00Z</date>" + managerEntry() +
                "<key>other</key><integer>3</integer>");
    controller->launch(nullptr);
    EXPECT_EQ(controller->exitStatus, 0);
    EXPECT_EQ(managerArguments(), "checkInRequired\n/opt/Some App/Ünïcode \"quoted\"\n");
}

TEST_F(Launch, WithoutAStoredPathTheManagerGetsTheKeywordAlone) {
    writeConfig("<key>last_opened</key><false/>" + managerEntry());
    controller->launch(nullptr);
    EXPECT_EQ(controller->exitStatus, 0);
    EXPECT_EQ(managerArguments(), "checkInRequired\n");
}

TEST_F(Launch, AnyLastOpenedValueCounts) {
    for (const char* value : {"<integer>0</integer>", "<string></string>", "<true/>"}) {
        std::filesystem::remove(record);
        writeConfig(std::string("<key>last_opened</key>") + value + managerEntry());
        auto fresh = std::make_shared<RecordingController>();
        fresh->launch(nullptr);
        EXPECT_EQ(fresh->exitStatus, 0) << value;
        EXPECT_TRUE(managerArguments()) << value;
    }
}

TEST_F(Launch, DoesNothingUntilTheConfigurationNamesBothKeys) {
    controller->launch(nullptr); // no file
    writeConfig(managerEntry()); // no last_opened
    controller->launch(nullptr);
    writeConfig("<key>last_opened</key><true/>"); // no manager
    controller->launch(nullptr);
    writeConfig("<key>last_opened</key><true/><key>last_known_path</key><integer>7</integer>");
    controller->launch(nullptr);
    EXPECT_FALSE(controller->exitStatus);
    EXPECT_FALSE(std::filesystem::exists(record));

    writeConfig("<key>last_opened</key><true/>" + managerEntry()); // written between two actions
    controller->launch(nullptr);
    EXPECT_EQ(controller->exitStatus, 0);
}

TEST_F(Launch, IgnoresAConfigurationThatIsNoDictionary) {
    for (const char* text : {"", "not a property list", "<?xml version=\"1.0\"?><plist><array/></plist>",
                             "<?xml version=\"1.0\"?><plist><dict><key>last_opened</key><true/>"}) {
        writeFile(support / "config", text);
        controller->launch(nullptr);
    }
    std::filesystem::remove(support / "config");
    std::filesystem::create_directory(support / "config");
    controller->launch(nullptr);
    std::filesystem::remove(support / "config");
    std::filesystem::create_symlink(support / "missing", support / "config");
    controller->launch(nullptr);
    EXPECT_FALSE(controller->exitStatus);
}

TEST_F(Launch, ReadsABinaryConfiguration) {
    plist_t dictionary = plist_new_dict();
    plist_dict_set_item(dictionary, "last_opened", plist_new_bool(1));
    plist_dict_set_item(dictionary, "last_known_path", plist_new_string(manager.c_str()));
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(dictionary, &bytes, &length);
    writeFile(support / "config", std::string_view(bytes, length));
    plist_to_bin_free(bytes);
    plist_free(dictionary);
    controller->launch(nullptr);
    EXPECT_EQ(controller->exitStatus, 0);
    EXPECT_EQ(managerArguments(), "checkInRequired\n");
}

TEST_F(Launch, StaysAndSaysWhyWhenTheManagerCannotStart) {
    auto bundle = home() / "Manager.app";
    std::filesystem::create_directories(bundle / "Contents");
    writeFile(bundle / "Contents/Info.plist",
              "<?xml version=\"1.0\"?><plist><dict><key>CFBundleExecutable</key>"
              "<string>Manager</string></dict></plist>");
    ::chmod(manager.c_str(), 0644);
    for (const auto& path : {home() / "nowhere", manager, bundle}) {
        writeConfig("<key>last_opened</key><true/><key>last_known_path</key><string>" + path.string() +
                    "</string>");
        testing::internal::CaptureStderr();
        controller->launch(nullptr);
        EXPECT_NE(testing::internal::GetCapturedStderr().find(path.string()), std::string::npos) << path;
    }
    EXPECT_FALSE(controller->exitStatus);
    EXPECT_FALSE(std::filesystem::exists(record));
}
