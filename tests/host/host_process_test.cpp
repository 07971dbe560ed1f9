#include "tests/host/host_fixture.h"
#include "tests/host/host_process.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// The real host, run through pipes in a temporary home and working folder.
class HostProcessTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        writeOptions("{\"a\":1}");
        installStandInOpener();
    }

    std::unique_ptr<HostProcess> start(std::vector<std::string> arguments = {}) {
        HostProcess::Options options;
        options.arguments = std::move(arguments);
        return startWith(std::move(options));
    }
    std::unique_ptr<HostProcess> startLikeFirefox(bool likeFirefox = true) {
        HostProcess::Options options;
        options.likeFirefox = likeFirefox;
        return startWith(std::move(options));
    }
    std::unique_ptr<HostProcess> startWith(HostProcess::Options options) {
        options.workingFolder = workingFolder();
        options.pathPrefix = openerFolder_;
        return std::make_unique<HostProcess>(options);
    }
    // Waits, within a bound, until the log holds this many lines starting so.
    void waitForLogged(std::string_view start, std::size_t count) const {
        for (int i = 0; i < 2000; ++i) {
            auto lines = logLines();
            auto found = std::count_if(lines.begin(), lines.end(),
                                       [start](const std::string& line) { return line.starts_with(start); });
            if (static_cast<std::size_t>(found) >= count)
                return;
            ::usleep(5000);
        }
        FAIL() << "the host did not log " << count << " lines starting " << start;
    }
    // The host logs each read of standard input.
    void waitForReads(std::size_t count) const { waitForLogged("Received:Optional", count); }
    // The lines the stand-in openers recorded, once there are this many.
    std::string openerRecord(std::size_t lines) const {
        for (int i = 0; i < 2000; ++i) {
            std::string text = readFile(home() / "opened.txt");
            if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= lines)
                return text;
            ::usleep(5000);
        }
        return readFile(home() / "opened.txt");
    }
    static std::string reply() { return "{\"options\": {\"a\":1}}"; }

private:
    // Appends one line per start: its arguments, where its output goes, whether it inherited a
    // descriptor 3, and its ignored and blocked signals. It lingers while "hold" exists.
    void installStandInOpener() {
        openerFolder_ = makeFolder("bin").string();
        auto script = std::filesystem::path(openerFolder_) / "xdg-open";
        writeFile(script, "#!/bin/sh\n"
                          "output=$(readlink /proc/$$/fd/1)\n"
                          "fd3=closed; [ -e /proc/$$/fd/3 ] && fd3=open\n"
                          "signals=\n"
                          "while read -r name value; do\n"
                          "    case $name in SigIgn:|SigBlk:) signals=\"$signals $name$value\" ;; esac\n"
                          "done < /proc/$$/status\n"
                          "printf '%s|%s|%s|fd3 %s|%s\\n' \"$#\" \"$1\" \"$output\" \"$fd3\" \"$signals\" "
                          ">> \"$HOME/opened.txt\"\n"
                          "while [ -e \"$HOME/hold\" ]; do sleep 0.01; done\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }

    std::string openerFolder_;
};

TEST_F(HostProcessTest, AnswersAOneShotOptionsRequestAndExitsAtEndOfInput) {
    auto host = start({"chrome-extension://abcdefghijklmnopabcdefghijklmnop/"});
    host->send(frame("{\"options\":true}"));
    host->closeInput();
    EXPECT_EQ(host->receiveRest(), frame(reply()));
    auto exit = host->waitForExit();
    EXPECT_TRUE(exit.exited);
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(host->standardError(), "");
    EXPECT_FALSE(std::filesystem::exists(documents() / "log.txt"));
}

// What is in the log already stays: lines are appended after it.
TEST_F(HostProcessTest, LogsAWholeConversationLineByLine) {
    enableLog();
    writeFile(documents() / "log.txt", "earlier\n");
    auto host = start({"/path/to/manifest.json", "addon@example.org"});
    host->send(frame("{\"options\":true}"));
    EXPECT_EQ(host->receiveFrame(), reply());
    host->send(frame("{\"url\":\"https://example.com/\"}"));
    host->closeInput();
    EXPECT_EQ(host->waitForExit().code, 0);
    std::string folder = workingFolder().string();
    EXPECT_EQ(logText(),
              "earlier\n"
              "Received:Optional(\"\\u{10}\\0\\0\\0{\\\"options\\\":true}\")\n"
              "{\"options\":true}\n"
              "handleJsonResult: {\"options\":true}\n"
              "AppPAth: " +
                  folder +
                  "\n"
                  "{\"a\":1}\n"
                  "Write Data:{\"options\": {\"a\":1}}\n"
                  "DAta size,4 4 bytes!\n"
                  "{\"a\":1}\n"
                  "Received:Optional(\"\\u{1E}\\0\\0\\0{\\\"url\\\":\\\"https://example.com/\\\"}\")\n"
                  "{\"url\":\"https://example.com/\"}\n"
                  "handleJsonResult: {\"url\":\"https://example.com/\"}\n"
                  "URL: https://example.com/\n"
                  "Received: " +
                  folder +
                  "\n"
                  "Received:Optional(\"\")\n");
}

// Firefox starts hosts with SIGPIPE ignored and a pipe on descriptor 3: neither reaches the opener.
TEST_F(HostProcessTest, OpensAURLWithACleanOpenerAwayFromTheBrowsersChannel) {
    auto host = startLikeFirefox();
    host->send(frame("{\"url\":\"https://example.com/p?q=1&r=%27x%27;$(id)\"}"));
    std::string record = openerRecord(1);
    EXPECT_TRUE(record.starts_with("1|https://example.com/p?q=1&r=%27x%27;$(id)|/dev/null|fd3 closed|"))
        << record;
    // Signals 1 to 31: above them lie the C library's own, which it sets up itself.
    for (std::string mask : {"SigBlk:", "SigIgn:"}) {
        auto at = record.find(mask);
        ASSERT_NE(at, std::string::npos) << record;
        EXPECT_EQ(std::stoull(record.substr(at + mask.size(), 16), nullptr, 16) & 0x7FFFFFFFu, 0u) << record;
    }
    host->closeInput();
    EXPECT_EQ(host->receiveRest(), "");
    EXPECT_EQ(host->waitForExit().code, 0);
}

// Openers that have not ended yet must not use up the host's descriptors: a burst of URLs waits
// its turn, the options request in the same read is answered, and every opener is reaped.
TEST_F(HostProcessTest, ABurstOfURLsLosesNoRequestAndLeavesNoZombie) {
    writeFile(home() / "hold", "");
    HostProcess::Options limited;
    limited.descriptorLimit = 64;
    auto host = startWith(std::move(limited));
    std::string requests;
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        std::string url = "https://example.com/" + std::to_string(i);
        requests += frame("{\"url\":\"" + url + "\"}");
        expected.push_back("1|" + url + "|/dev/null");
    }
    host->send(requests + frame("{\"options\":true}"));
    EXPECT_EQ(host->receiveFrame(), reply());
    std::filesystem::remove(home() / "hold");
    std::istringstream record(openerRecord(expected.size()));
    std::vector<std::string> opened;
    for (std::string line; std::getline(record, line);)
        opened.push_back(line.substr(0, line.find("|fd3")));
    std::sort(opened.begin(), opened.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(opened, expected);
    for (int i = 0; i < 2000 && !host->children().empty(); ++i)
        ::usleep(5000);
    EXPECT_EQ(host->children().size(), 0u) << "finished openers were left unreaped";
    host->closeInput();
    EXPECT_EQ(host->waitForExit().code, 0);
}

TEST_F(HostProcessTest, LoggingFollowsTheSwitchWhileRunning) {
    auto host = start();
    host->send(frame("{\"options\":1}"));
    EXPECT_EQ(host->receiveFrame(), reply());
    EXPECT_FALSE(std::filesystem::exists(documents() / "log.txt"));
    enableLog();
    host->send(frame("{\"options\":2}"));
    EXPECT_EQ(host->receiveFrame(), reply());
    disableLog();
    host->send(frame("{\"options\":3}"));
    EXPECT_EQ(host->receiveFrame(), reply());
    // By now the host has settled into a conversation and watches the folder.
    enableLog();
    host->send(frame("{\"options\":4}"));
    EXPECT_EQ(host->receiveFrame(), reply());
    disableLog();
    host->send(frame("{\"options\":5}"));
    EXPECT_EQ(host->receiveFrame(), reply());
    host->closeInput();
    host->waitForExit();
    struct stat status {};
    ASSERT_EQ(::stat((documents() / "log.txt").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[1], "{\"options\":2}");
    EXPECT_EQ(lines[9], "{\"options\":4}");
}

TEST_F(HostProcessTest, AnUnreadableOptionsFileSendsNothingAndReadingGoesOn) {
    enableLog();
    std::filesystem::remove(workingFolder() / "data.json");
    auto host = start();
    host->send(frame("{\"options\":1}"));
    waitForReads(1);
    std::filesystem::create_directory(workingFolder() / "data.json");
    host->send(frame("{\"options\":1}"));
    waitForReads(2);
    std::filesystem::remove(workingFolder() / "data.json");
    std::filesystem::create_symlink("nowhere", workingFolder() / "data.json");
    host->send(frame("{\"options\":1}"));
    waitForReads(3);
    std::filesystem::remove(workingFolder() / "data.json");
    writeOptions("\xFF\xFE");
    host->send(frame("{\"options\":1}"));
    waitForReads(4);
    // Text that is not JSON is sent as it is, and every request reads the file afresh.
    for (std::string text : {"", "not json {", "{\"a\":1}"}) {
        writeOptions(text);
        host->send(frame("{\"options\":1}"));
        EXPECT_EQ(host->receiveFrame(), "{\"options\": " + text + "}");
    }
    host->closeInput();
    EXPECT_EQ(host->receiveRest(), "");
    EXPECT_EQ(host->waitForExit().code, 0);
}

TEST_F(HostProcessTest, GathersFramesSplitBetweenReadsAtEveryPosition) {
    enableLog();
    auto host = start();
    std::string request = frame("{\"options\":true}");
    std::size_t reads = 0;
    for (std::size_t cut = 1; cut < request.size(); ++cut) {
        host->send(request.substr(0, cut));
        waitForReads(++reads);
        host->send(request.substr(cut));
        EXPECT_EQ(host->receiveFrame(), reply()) << "cut at " << cut;
        waitForReads(++reads);
    }
    host->closeInput();
    EXPECT_EQ(host->waitForExit().code, 0);
}

TEST_F(HostProcessTest, AnswersEveryPipelinedRequestInOrder) {
    auto host = start();
    constexpr int count = 2000;
    std::thread writer([&] {
        std::string requests;
        for (int i = 0; i < count; ++i)
            requests += frame("{\"options\":" + std::to_string(i) + "}");
        host->send(requests);
        host->closeInput();
    });
    std::string expected;
    for (int i = 0; i < count; ++i)
        expected += frame(reply());
    std::string received = host->receiveRest();
    writer.join();
    EXPECT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected);
    EXPECT_EQ(host->waitForExit().code, 0);
}

TEST_F(HostProcessTest, SurvivesHostileInputAndStillAnswers) {
    enableLog();
    auto host = start();
    host->send(frame("") + frame(std::string(1000000, '[')) + frame("{\"url\":\"\xC0\x80\"}") +
               frame("{\"url\":\"relative/path\"}"));
    waitForLogged("Error", 3);
    // One small write arrives in one read: the rest of the read after a refused length is dropped,
    // and the next read starts a new frame.
    host->send(lengthPrefix(0x7FFFFFFF) + "xyz");
    waitForLogged("Error", 4);
    host->send(frame("{\"options\":true}"));
    EXPECT_EQ(host->receiveFrame(), reply());
    host->send(lengthPrefix(10) + "{\"opt"); // cut short by end of input
    host->closeInput();
    EXPECT_EQ(host->receiveRest(), "");
    auto exit = host->waitForExit();
    EXPECT_TRUE(exit.exited);
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(host->standardError(), "");
    EXPECT_FALSE(std::filesystem::exists(home() / "opened.txt"));
}

// Whether the browser left SIGPIPE at its default or ignored it, a reply nobody reads ends the
// conversation: the host exits with 0 while its input is still open.
TEST_F(HostProcessTest, EndsTheConversationWhenTheBrowserClosedItsOutput) {
    for (bool likeFirefox : {false, true}) {
        auto host = startLikeFirefox(likeFirefox);
        host->closeOutput();
        host->send(frame("{\"options\":true}"));
        auto exit = host->waitForExit();
        EXPECT_TRUE(exit.exited) << "ended by signal " << exit.code;
        EXPECT_EQ(exit.code, 0);
        EXPECT_EQ(host->standardError(), "");
    }
}

TEST_F(HostProcessTest, ALogThatIsNotAFileNeverHoldsUpTheReplies) {
    enableLog();
    for (bool fifo : {true, false}) {
        std::filesystem::remove(documents() / "log.txt");
        if (fifo)
            ASSERT_EQ(::mkfifo((documents() / "log.txt").c_str(), 0600), 0);
        else
            std::filesystem::create_directory(documents() / "log.txt");
        auto host = start();
        host->send(frame("{\"options\":true}"));
        host->closeInput();
        EXPECT_EQ(host->receiveRest(), frame(reply()));
        EXPECT_EQ(host->waitForExit().code, 0);
    }
}

TEST_F(HostProcessTest, TheLogIsInTheDocumentsFolderOfTheUserDirectoriesSetting) {
    makeFolder(".config");
    writeFile(home() / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    makeFolder("Papers");
    writeFile(home() / "Papers/EnableLog", "");
    auto host = start();
    host->send(frame("{\"options\":true}"));
    host->closeInput();
    EXPECT_EQ(host->receiveRest(), frame(reply()));
    host->waitForExit();
    EXPECT_TRUE(readFile(home() / "Papers/log.txt").starts_with("Received:"));
    EXPECT_FALSE(std::filesystem::exists(documents() / "log.txt"));
}

// Only an object's first key counts, and only a string that is an absolute URL is opened; whether
// the log is on or off changes nothing.
TEST_F(HostProcessTest, CarriesOutTrickyRequestsAlikeWithTheLogOnAndOff) {
    const std::vector<std::string> requests = {
        R"({"url":"https://a.example/","url":"https://b.example/"})",
        R"({"url":"https://a.example/","x":1,"url":5})",
        R"({"\u0075rl":"https://c.example/"})",
        R"({"url":"https://d.example/","options":1})",
        R"({"options":1,"url":"https://a.example/"})",
        R"({"x":1,"options":1})",
        R"({"URL":"https://a.example/"})",
        R"({"options ":1})",
        R"({})",
        R"({"options":1} x)",
        R"({"options":1e400})",
        R"({"options":1.5e-400, "n": -0})",
        "{\"url\":\"https://a.example/\xFF\"}",
        std::string("{\"url\":\"https://e.example/\"}\0", 30),
        "\xEF\xBB\xBF{\"url\":\"https://f.example/\"}",
        R"({"url":{"url":"https://a.example/"}})",
        R"({"url":5})",
        R"({"url":null})",
        R"({"url":"has space"})",
        R"({"url":"example.com/x"})",
        R"({"url":""})",
        R"("abc")",
        R"([1])",
        R"(null)",
        R"({"url":"https://g.example/","d":)" + std::string(511, '[') + std::string(511, ']') + "}",
        R"({"options":1,"d":)" + std::string(512, '[') + std::string(512, ']') + "}",
    };
    for (bool logged : {false, true}) {
        if (logged)
            enableLog();
        std::filesystem::remove(home() / "opened.txt");
        auto host = start();
        for (const auto& request : requests)
            host->send(frame(request));
        host->closeInput();
        EXPECT_EQ(host->receiveRest(), frame(reply()) + frame(reply())) << "logged " << logged;
        EXPECT_EQ(host->waitForExit().code, 0);
        std::istringstream record(openerRecord(5));
        std::vector<std::string> opened;
        for (std::string line; std::getline(record, line);)
            opened.push_back(line.substr(0, line.find("|/dev/null")));
        std::sort(opened.begin(), opened.end());
        EXPECT_EQ(opened, (std::vector<std::string>{"1|https://b.example/", "1|https://c.example/",
                                                    "1|https://d.example/", "1|https://f.example/",
                                                    "1|https://g.example/"}))
            << "logged " << logged;
    }
}

TEST_F(HostProcessTest, TwoHostsLoggingAtOnceKeepEveryLineWhole) {
    enableLog();
    auto first = start();
    auto second = start();
    std::string requests;
    for (int i = 0; i < 200; ++i)
        requests += frame("{\"options\":" + std::to_string(i) + "}");
    std::thread writer([&] {
        first->send(requests);
        first->closeInput();
    });
    second->send(requests);
    second->closeInput();
    first->receiveRest();
    second->receiveRest();
    writer.join();
    first->waitForExit();
    second->waitForExit();
    auto lines = logLines();
    auto count = [&](std::string_view start) {
        return std::count_if(lines.begin(), lines.end(),
                             [start](const auto& line) { return line.starts_with(start); });
    };
    EXPECT_EQ(count("handleJsonResult: {\"options\":"), 400);
    EXPECT_EQ(count("DAta size,4 4 bytes!"), 400);
    EXPECT_EQ(count("Write Data:{\"options\": {\"a\":1}}"), 400);
    for (const auto& line : lines)
        EXPECT_TRUE(line.starts_with("Received:") || line.starts_with("{\"options\":") ||
                    line.starts_with("handleJsonResult: ") || line.starts_with("AppPAth: ") ||
                    line == "{\"a\":1}" || line.starts_with("Write Data:") || line == "DAta size,4 4 bytes!")
            << line;
}
