#include "platform/preferences/user_defaults.h"
#include "tests/support/temporary_home.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace foundation;

namespace {

constexpr const char* domain = "Vantrel_checkIn";
// A path as XML must escape it, with characters from every UTF-8 length.
constexpr const char* trickyPath =
    "/Apps/tab\there, line\nbreak \"q\" 'single' <tag> & caf\xC3\xA9 \xF0\x9F\x99\x82.app";

// Ends its process the moment the new store is complete but not yet in place.
class CrashingUserDefaults : public UserDefaults {
public:
    using UserDefaults::UserDefaults;

protected:
    void storeWillBeReplaced() override { ::raise(SIGKILL); }
};

std::optional<std::string> textFor(const UserDefaults& defaults, const std::string& key) {
    auto value = defaults.valueForKey(key);
    return value && value->text() ? std::optional(*value->text()) : std::nullopt;
}

} // namespace

class UserDefaultsTest : public TemporaryHome {
protected:
    std::filesystem::path storePath() const { return home() / ".config" / domain / "defaults.plist"; }
    void store(const std::string& key, PropertyListValue value) const {
        UserDefaults defaults(domain);
        defaults.setValue(std::move(value), key);
        ASSERT_TRUE(defaults.synchronize());
    }
};

// An object made before another process synchronized still reads what that one stored.
TEST_F(UserDefaultsTest, TheStoreIsAPrivateXMLFileOtherProcessesRead) {
    ::unsetenv("XDG_CONFIG_HOME");
    UserDefaults reader(domain);
    EXPECT_EQ(reader.valueForKey("apppath"), std::nullopt);
    store("apppath", trickyPath);
    EXPECT_TRUE(readFile(storePath()).starts_with("<?xml")) << readFile(storePath());
    for (const auto& folder : {home() / ".config", home() / ".config" / domain}) {
        struct stat status {};
        ASSERT_EQ(::stat(folder.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_EQ(std::filesystem::directory_iterator(storePath().parent_path())->path(), storePath())
        << "no temporary file is left behind";
    EXPECT_EXIT(
        {
            UserDefaults defaults(domain);
            bool read = textFor(defaults, "apppath") == trickyPath;
            defaults.setValue("/from/child", "apppath");
            ::_exit(read && defaults.synchronize() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(textFor(reader, "apppath"), "/from/child");
}

// Removing a key removes it from the store, keeping the others; the argument domain comes first
// and is never stored.
TEST_F(UserDefaultsTest, RemovedKeysAreGoneAfterSynchronizingAndArgumentsAreNeverStored) {
    store("apppath", "/opt/app");
    store("other", "kept");
    UserDefaults defaults(domain);
    defaults.setVolatileDomain({{"other", "/given"}}, UserDefaults::argumentDomain);
    defaults.removeValueForKey("apppath");
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(UserDefaults(domain).valueForKey("apppath"), std::nullopt);
    EXPECT_EQ(textFor(UserDefaults(domain), "other"), "kept");
    EXPECT_EQ(textFor(defaults, "other"), "/given");
}

TEST_F(UserDefaultsTest, ACrashBeforeTheRenameLeavesTheOldStoreIntact) {
    store("apppath", "/old");
    std::string before = readFile(storePath());
    EXPECT_EXIT(
        {
            CrashingUserDefaults defaults(domain);
            defaults.setValue("/new", "apppath");
            defaults.synchronize();
        },
        ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(readFile(storePath()), before);
    store("apppath", "/after"); // the leftover temporary file is no obstacle
    EXPECT_EQ(textFor(UserDefaults(domain), "apppath"), "/after");
}

// Kept aside as <store>.corrupt, then .corrupt-2, saying so once on standard error.
TEST_F(UserDefaultsTest, ADamagedStoreIsKeptAsideOnceAndReplaced) {
    std::filesystem::create_directories(storePath().parent_path());
    const std::string damages[] = {"not a property list", "<?xml version=\"1.0\"?><plist><array/></plist>"};
    for (const auto& damage : damages) {
        writeFile(storePath(), damage);
        EXPECT_EQ(UserDefaults(domain).valueForKey("apppath"), std::nullopt);
        testing::internal::CaptureStderr();
        store("apppath", "/opt/app");
        store("other", "kept");
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(storePath().string() + ".corrupt"), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << "said once: " << said;
        EXPECT_EQ(textFor(UserDefaults(domain), "apppath"), "/opt/app");
    }
    EXPECT_EQ(readFile(storePath().string() + ".corrupt"), damages[0]);
    EXPECT_EQ(readFile(storePath().string() + ".corrupt-2"), damages[1]);
}

// A folder in the store's place, a value XML cannot carry, a domain that is no folder name.
TEST_F(UserDefaultsTest, WhatCannotBeStoredIsReported) {
    std::filesystem::create_directories(storePath());
    const std::tuple<const char*, PropertyListValue, std::string> cases[] = {
        {domain, "/opt/app", storePath().string()},
        {"Other", std::string("bad\x01"), "\"key\""},
        {"", 1, ""},
        {".", 1, ""},
        {"..", 1, ""},
        {"a/b", 1, ""}};
    for (const auto& [name, value, named] : cases) {
        UserDefaults defaults(name);
        defaults.setValue(value, "key");
        std::string error;
        EXPECT_FALSE(defaults.synchronize(&error)) << name;
        EXPECT_TRUE(!error.empty() && error.find(named) != std::string::npos) << error;
    }
    // Nothing was written, and unusable domains made no folder anywhere.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home())) {
        auto relative = entry.path().lexically_relative(home()).string();
        EXPECT_TRUE(relative == ".config" || relative == ".config/Other" ||
                    relative.starts_with(".config/" + std::string(domain)))
            << relative;
    }
}
