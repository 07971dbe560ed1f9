#include "platform/preferences/user_defaults.h"
#include "tests/support/temporary_home.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

using namespace foundation;

namespace {

constexpr const char* domain = "Vantrel_checkIn";

// Ends its process the moment the new store is complete but not yet in place.
class CrashingUserDefaults : public UserDefaults {
public:
    using UserDefaults::UserDefaults;

protected:
    void storeWillBeReplaced() override { ::raise(SIGKILL); }
};

// Runs `body` in a child process and gives its exit status.
template <typename Body> int statusOfChild(Body body) {
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::optional<std::string> textFor(const UserDefaults& defaults, const std::string& key) {
    auto value = defaults.valueForKey(key);
    if (!value || !value->text())
        return std::nullopt;
    return *value->text();
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

TEST_F(UserDefaultsTest, TheStoreLivesInTheConfigurationFolder) {
    EXPECT_EQ(UserDefaults(domain).storePath(), storePath().string());
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserDefaults(domain).storePath(), storePath().string());
    ::setenv("XDG_CONFIG_HOME", (home() / "elsewhere").c_str(), 1);
    EXPECT_EQ(UserDefaults(domain).storePath(), (home() / "elsewhere" / domain / "defaults.plist").string());
}

// An object made before another process synchronized still reads what it stored.
TEST_F(UserDefaultsTest, AnotherProcessReadsWhatWasSynchronized) {
    UserDefaults reader(domain);
    EXPECT_EQ(reader.valueForKey("apppath"), std::nullopt);
    store("apppath", "/opt/app");
    EXPECT_EQ(statusOfChild([] { return textFor(UserDefaults(domain), "apppath") == "/opt/app"; }), 0);
    EXPECT_EQ(statusOfChild([] {
                  UserDefaults defaults(domain);
                  defaults.setValue("/from/child", "apppath");
                  return defaults.synchronize();
              }),
              0);
    EXPECT_EQ(textFor(reader, "apppath"), "/from/child");
}

TEST_F(UserDefaultsTest, TheArgumentDomainComesFirstAndIsNeverStored) {
    UserDefaults defaults(domain);
    defaults.setVolatileDomain({{"apppath", "/given"}}, UserDefaults::argumentDomain);
    defaults.setValue("/stored", "apppath");
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(textFor(UserDefaults(domain), "apppath"), "/stored");
    store("apppath", "/stored by another");
    EXPECT_EQ(textFor(defaults, "apppath"), "/given");
}

TEST_F(UserDefaultsTest, ValuesKeepTheirKinds) {
    UserDefaults defaults(domain);
    defaults.setValue("/Applications/My App \xC3\xA9/it's \"here\"", "apppath");
    defaults.setValue(true, "flag");
    defaults.setValue(-3, "count");
    defaults.setValue(2.5, "scale");
    defaults.setValue(PropertyListArray{"a", PropertyListDictionary{{"b", false}}}, "list");
    ASSERT_TRUE(defaults.synchronize());
    UserDefaults reader(domain);
    EXPECT_EQ(textFor(reader, "apppath"), "/Applications/My App \xC3\xA9/it's \"here\"");
    EXPECT_EQ(reader.valueForKey("flag"), PropertyListValue(true));
    EXPECT_EQ(reader.valueForKey("count"), PropertyListValue(-3));
    EXPECT_EQ(reader.valueForKey("scale"), PropertyListValue(2.5));
    EXPECT_EQ(reader.valueForKey("list"),
              PropertyListValue(PropertyListArray{"a", PropertyListDictionary{{"b", false}}}));
}

TEST_F(UserDefaultsTest, RemovedKeysAreGoneAfterSynchronizing) {
    store("apppath", "/opt/app");
    store("other", "kept");
    UserDefaults defaults(domain);
    defaults.removeValueForKey("apppath");
    EXPECT_EQ(defaults.valueForKey("apppath"), std::nullopt);
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(UserDefaults(domain).valueForKey("apppath"), std::nullopt);
    EXPECT_EQ(textFor(UserDefaults(domain), "other"), "kept");
}

TEST_F(UserDefaultsTest, TheStoreIsAnXMLPropertyListInAPrivateFolder) {
    ::unsetenv("XDG_CONFIG_HOME");
    store("apppath", "/opt/app");
    EXPECT_TRUE(readFile(storePath()).starts_with("<?xml")) << readFile(storePath());
    for (const auto& folder : {home() / ".config", home() / ".config" / domain}) {
        struct stat status {};
        ASSERT_EQ(::stat(folder.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_EQ(std::filesystem::directory_iterator(storePath().parent_path())->path(), storePath())
        << "no temporary file is left behind";
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
    EXPECT_EQ(textFor(UserDefaults(domain), "apppath"), "/old");
    store("apppath", "/after"); // the leftover temporary file is no obstacle
    EXPECT_EQ(textFor(UserDefaults(domain), "apppath"), "/after");
}

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
        EXPECT_EQ(textFor(UserDefaults(domain), "other"), "kept");
    }
    EXPECT_EQ(readFile(storePath().string() + ".corrupt"), damages[0]);
    EXPECT_EQ(readFile(storePath().string() + ".corrupt-2"), damages[1]);
}

// A folder in the store's place, a value XML cannot carry, a domain that is no folder name.
TEST_F(UserDefaultsTest, WhatCannotBeStoredIsReported) {
    std::filesystem::create_directories(storePath());
    const std::tuple<const char*, PropertyListValue, std::string> cases[] = {
        {domain, PropertyListValue("/opt/app"), storePath().string()},
        {"Other", PropertyListValue(std::string("bad\x01")), "\"key\""},
        {"", PropertyListValue(1), ""},
        {".", PropertyListValue(1), ""},
        {"..", PropertyListValue(1), ""},
        {"a/b", PropertyListValue(1), ""},
    };
    for (const auto& [name, value, named] : cases) {
        UserDefaults defaults(name);
        defaults.setValue(value, "key");
        std::string error;
        EXPECT_FALSE(defaults.synchronize(&error)) << name;
        EXPECT_FALSE(error.empty());
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
    // Nothing was written, and unusable domains made no folder anywhere.
    EXPECT_FALSE(std::filesystem::exists(home() / ".config" / "Other" / "defaults.plist"));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home())) {
        auto relative = entry.path().lexically_relative(home()).string();
        EXPECT_TRUE(relative == ".config" || relative.starts_with(".config/Other") ||
                    relative.starts_with(".config/" + std::string(domain)))
            << relative;
    }
}
