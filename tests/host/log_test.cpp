#include "host/log.h"
#include "tests/host/host_fixture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

class LogTest : public HostFixture {
protected:
    Log currentLog() const { return Log::current(documents().string()); }
};

TEST_F(LogTest, WithoutTheSwitchNothingIsWrittenOrCreated) {
    Log log = currentLog();
    EXPECT_FALSE(log.isEnabled());
    log.line("a line");
    log.write("text");
    EXPECT_FALSE(std::filesystem::exists(documents() / "log.txt"));
}

TEST_F(LogTest, TheFirstLineCreatesTheFilePrivateToTheUser) {
    enableLog();
    currentLog().line("first");
    EXPECT_EQ(logText(), "first\n");
    struct stat status {};
    ASSERT_EQ(::stat((documents() / "log.txt").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(LogTest, LinesAreAppendedAfterWhatIsThere) {
    enableLog();
    writeFile(documents() / "log.txt", "earlier\n");
    currentLog().line("later");
    currentLog().write("raw");
    EXPECT_EQ(logText(), "earlier\nlater\nraw");
}

TEST_F(LogTest, ADirectoryOrAnEmptyFileNamedEnableLogTurnsLoggingOn) {
    std::filesystem::create_directory(documents() / "EnableLog");
    EXPECT_TRUE(currentLog().isEnabled());
    std::filesystem::remove(documents() / "EnableLog");
    EXPECT_FALSE(currentLog().isEnabled());
    enableLog();
    EXPECT_TRUE(currentLog().isEnabled());
}

TEST_F(LogTest, TextIsWrittenUnchangedAsUTF8) {
    enableLog();
    currentLog().line("two\nlines \"quoted\" \u00e9\u6f22\U0001F600");
    EXPECT_EQ(logText(), "two\nlines \"quoted\" \u00e9\u6f22\U0001F600\n");
}

TEST_F(LogTest, ALogAnswersForTheMomentItWasMade) {
    enableLog();
    Log log = currentLog();
    disableLog();
    log.line("still logged");
    EXPECT_FALSE(currentLog().isEnabled());
    EXPECT_EQ(logText(), "still logged\n");
}

TEST_F(LogTest, AnUnwritableLogFileLosesTheLineQuietly) {
    enableLog();
    std::filesystem::create_directory(documents() / "log.txt");
    EXPECT_NO_FATAL_FAILURE(currentLog().line("lost"));
    EXPECT_TRUE(std::filesystem::is_directory(documents() / "log.txt"));
}

TEST_F(LogTest, DocumentsFollowsTheUserDirectoriesSetting) {
    std::filesystem::create_directories(home() / ".config");
    writeFile(home() / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    EXPECT_EQ(Log::documentsDirectory(), (home() / "Papers").string());
}
