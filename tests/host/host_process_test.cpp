#include "tests/host/host_fixture.h"
#include "tests/host/host_process.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

// The real host, run through pipes in a temporary home and working folder, with a stand-in
// opener on PATH.
class HostProcessTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        // Records its signal masks, then its arguments, where its output goes and whether it
        // inherited a descriptor 3; it lingers while "hold" exists.
        auto opener = makeFolder("bin") / "xdg-open";
        writeFile(opener, "#!/bin/sh\n"
                          "fd3=closed; [ -e /proc/$$/fd/3 ] && fd3=open\n"
                          "grep -E '^Sig(Ign|Blk):' /proc/$$/status >> \"$HOME/signals.txt\"\n"
                          "printf '%s|%s|%s|fd3 %s\\n' \"$#\" \"$1\" \"$(readlink /proc/$$/fd/1)\" \"$fd3\" "
                          ">> \"$HOME/opened.txt\"\n"
                          "while [ -e \"$HOME/hold\" ]; do sleep 0.01; done\n");
        fs::permissions(opener, fs::perms::owner_all);
    }

    std::unique_ptr<HostProcess> start(std::vector<std::string> arguments = {}, bool likeFirefox = false,
                                       std::optional<unsigned> descriptorLimit = {}) {
        return std::make_unique<HostProcess>(HostProcess::Options{
            workingFolder(), std::move(arguments), (home() / "bin").string(), likeFirefox, descriptorLimit});
    }
    // Waits, within a bound, until the log holds this many lines starting so.
    void waitForLogged(std::string_view start, long count) const {
        for (int i = 0; i < 2000; ++i, ::usleep(5000)) {
            auto lines = logLines();
            if (std::count_if(lines.begin(), lines.end(),
                              [&](auto& line) { return line.starts_with(start); }) >= count)
                return;
        }
        FAIL() << "the host did not log " << count << " lines starting " << start;
    }
    // The stand-in openers' records, sorted, once there are this many (or after a bound).
    std::vector<std::string> opened(std::size_t count) const {
        auto lines = linesOf(home() / "opened.txt");
        for (int i = 0; i < 2000 && lines.size() < count; ++i, ::usleep(5000))
            lines = linesOf(home() / "opened.txt");
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    const std::string reply = "{\"options\": {\"a\":1}}";
};

TEST_F(HostProcessTest, AnswersAOneShotOptionsRequestAndExitsAtEndOfInput) {
    auto host = start({"chrome-extension://abcdefghijklmnopabcdefghijklmnop/"});
    host->send(frame("{\"options\":true}"));
    host->closeInput();
    EXPECT_EQ(host->receiveRest(), frame(reply));
    EXPECT_EQ(host->waitForExit(), 0);
    EXPECT_EQ(host->standardError(), "");
    EXPECT_FALSE(fs::exists(documents() / "log.txt"));
}

// The log is in the Documents folder user-dirs.dirs names, after what the file held already.
TEST_F(HostProcessTest, LogsAWholeConversationLineByLine) {
    makeFolder(".config");
    writeFile(home() / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    makeFolder("Papers");
    writeFile(home() / "Papers/EnableLog", "");
    writeFile(home() / "Papers/log.txt", "earlier\n");
    auto host = start({"/path/to/manifest.json", "addon@example.org"});
    host->send(frame("{\"options\":true}"));
    EXPECT_EQ(host->receiveFrame(), reply);
    host->send(frame("{\"url\":\"https://example.com/\"}"));
    host->closeInput();
    EXPECT_EQ(host->waitForExit(), 0);
    std::string folder = workingFolder().string();
    EXPECT_EQ(readFile(home() / "Papers/log.txt"),
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

TEST_F(HostProcessTest, LoggingFollowsTheSwitchWhileRunning) {
    auto host = start();
    // The later toggles come once the host has settled into a conversation and watches the folder.
    for (int i = 1; i <= 5; ++i) {
        i % 2 == 0 ? enableLog() : disableLog();
        host->send(frame("{\"options\":" + std::to_string(i) + "}"));
        EXPECT_EQ(host->receiveFrame(), reply);
    }
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

// Every request reads the file afresh; text that is not JSON is sent as it is.
TEST_F(HostProcessTest, AnUnreadableOptionsFileSendsNothingAndReadingGoesOn) {
    auto data = workingFolder() / "data.json";
    for (int unreadable = 0; unreadable < 4; ++unreadable) {
        fs::remove(data);
        if (unreadable == 1)
            fs::create_directory(data);
        if (unreadable == 2)
            fs::create_symlink("nowhere", data);
        if (unreadable == 3)
            writeOptions("\xFF\xFE");
        auto host = start();
        host->send(frame("{\"options\":1}") + frame("{\"url\":\"https://example.com/\"}"));
        host->closeInput();
        EXPECT_EQ(host->receiveRest(), "") << unreadable;
        EXPECT_EQ(host->waitForExit(), 0);
    }
    EXPECT_EQ(opened(4).size(), 4u);
    auto host = start();
    for (std::string text : {"", "not json {", "{\"a\":1}"}) {
        writeOptions(text);
        host->send(frame("{\"options\":1}"));
        EXPECT_EQ(host->receiveFrame(), "{\"options\": " + text + "}");
    }
}

TEST_F(HostProcessTest, GathersFramesSplitBetweenReadsAtEveryPosition) {
    enableLog();
    auto host = start();
    std::string request = frame("{\"options\":true}");
    for (std::size_t cut = 1; cut < request.size(); ++cut) {
        host->send(request.substr(0, cut));
        waitForLogged("Received:Optional", static_cast<long>(2 * cut - 1));
        host->send(request.substr(cut));
        EXPECT_EQ(host->receiveFrame(), reply) << "cut at " << cut;
        waitForLogged("Received:Optional", static_cast<long>(2 * cut));
    }
}

TEST_F(HostProcessTest, SkipsARefusedLengthWithTheRestOfItsReadAndIgnoresACutFrameAtTheEnd) {
    enableLog();
    auto host = start();
    // One small write arrives in one read.
    host->send(lengthPrefix(0x7FFFFFFF) + "xyz");
    waitForLogged("Error", 1);
    host->send(frame("{\"options\":true}"));
    EXPECT_EQ(host->receiveFrame(), reply);
    host->send(lengthPrefix(10) + "{\"opt");
    host->closeInput();
    EXPECT_EQ(host->receiveRest(), "");
    EXPECT_EQ(host->waitForExit(), 0);
    EXPECT_EQ(host->standardError(), "");
}

// Whether the browser left SIGPIPE at its default or ignored it, a reply nobody reads ends the
// conversation: the host exits with 0 while its input is still open.
TEST_F(HostProcessTest, EndsTheConversationWhenTheBrowserClosedItsOutput) {
    for (bool likeFirefox : {false, true}) {
        auto host = start({}, likeFirefox);
        host->closeOutput();
        host->send(frame("{\"options\":true}"));
        EXPECT_EQ(host->waitForExit(), 0);
        EXPECT_EQ(host->standardError(), "");
    }
}

TEST_F(HostProcessTest, ALogThatIsNotAFileNeverHoldsUpTheReplies) {
    enableLog();
    for (bool fifo : {true, false}) {
        fs::remove(documents() / "log.txt");
        if (fifo)
            ASSERT_EQ(::mkfifo((documents() / "log.txt").c_str(), 0600), 0);
        else
            fs::create_directory(documents() / "log.txt");
        auto host = start();
        host->send(frame("{\"options\":true}"));
        host->closeInput();
        EXPECT_EQ(host->receiveRest(), frame(reply));
        EXPECT_EQ(host->waitForExit(), 0);
    }
}

// Firefox starts hosts with SIGPIPE ignored and a pipe on descriptor 3: neither reaches the opener.
TEST_F(HostProcessTest, OpensAURLWithACleanOpenerAwayFromTheBrowsersChannel) {
    auto host = start({}, true);
    host->send(frame("{\"url\":\"https://example.com/p?q=1&r=%27x%27;$(id)\"}"));
    EXPECT_EQ(opened(1),
              std::vector<std::string>{"1|https://example.com/p?q=1&r=%27x%27;$(id)|/dev/null|fd3 closed"});
    auto signals = linesOf(home() / "signals.txt");
    ASSERT_EQ(signals.size(), 2u);
    // Signals 1 to 31: above them lie the C library's own, which it sets up itself.
    for (const auto& line : signals)
        EXPECT_EQ(std::stoull(line.substr(line.find('\t') + 1), nullptr, 16) & 0x7FFFFFFFu, 0u) << line;
    host->closeInput();
    EXPECT_EQ(host->receiveRest(), "");
    EXPECT_EQ(host->waitForExit(), 0);
}

// Openers that have not ended yet must not use up the host's descriptors: a burst of URLs waits
// its turn, the options request in the same read is answered, and every opener is reaped.
TEST_F(HostProcessTest, ABurstOfURLsLosesNoRequestAndLeavesNoZombie) {
    writeFile(home() / "hold", "");
    auto host = start({}, false, 64);
    std::string requests;
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        std::string url = "https://example.com/" + std::to_string(i);
        requests += frame("{\"url\":\"" + url + "\"}");
        expected.push_back("1|" + url + "|/dev/null|fd3 closed");
    }
    host->send(requests + frame("{\"options\":true}"));
    EXPECT_EQ(host->receiveFrame(), reply);
    fs::remove(home() / "hold");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(opened(expected.size()), expected);
    for (int i = 0; i < 2000 && !host->children().empty(); ++i)
        ::usleep(5000);
    EXPECT_EQ(host->children().size(), 0u) << "finished openers were left unreaped";
    host->closeInput();
    EXPECT_EQ(host->waitForExit(), 0);
}

// Only an object's first key counts, and only a string that is an absolute URL is opened; whether
// the log is on or off changes nothing.
TEST_F(HostProcessTest, CarriesOutTrickyRequestsAlikeWithTheLogOnAndOff) {
    const std::vector<std::string> requests = {
        "",
        std::string(1000000, '['),
        R"({"url":"https://a.example/","url":"https://b.example/"})",
        R"({"url":"https://a.example/","x":1,"url":5})",
        R"({"\u0075rl":"https://c.example/"})",
        R"({"url":"https://d.example/","options":1})",
        R"({"options":1,"url":"https://a.example/"})",
        R"({"x":1,"options":1})",
        R"({"URL":"https://a.example/"})",
        R"({})",
        R"({"options":1} x)",
        R"({"options":1e400})",
        R"({"options":1.5e-400, "n": -0})",
        "{\"url\":\"https://a.example/\xFF\"}",
        "{\"url\":\"\xC0\x80\"}",
        std::string("{\"url\":\"https://e.example/\"}\0", 30),
        "\xEF\xBB\xBF{\"url\":\"https://f.example/\"}",
        R"({"url":{"url":"https://a.example/"}})",
        R"({"url":5})",
        R"({"url":"has space"})",
        R"({"url":"example.com/x"})",
        R"({"url":""})",
        R"("abc")",
        R"([1])",
        R"({"url":"https://g.example/","d":)" + std::string(511, '[') + std::string(511, ']') + "}",
        R"({"options":1,"d":)" + std::string(512, '[') + std::string(512, ']') + "}",
    };
    for (bool logged : {false, true}) {
        if (logged)
            enableLog();
        fs::remove(home() / "opened.txt");
        auto host = start();
        for (const auto& request : requests)
            host->send(frame(request));
        host->closeInput();
        EXPECT_EQ(host->receiveRest(), frame(reply) + frame(reply)) << "logged " << logged;
        EXPECT_EQ(host->waitForExit(), 0);
        std::vector<std::string> expected;
        for (char site : std::string("bcdfg"))
            expected.push_back(std::string("1|https://") + site + ".example/|/dev/null|fd3 closed");
        EXPECT_EQ(opened(5), expected) << "logged " << logged;
    }
}

// Two hosts append to one log at once, each answering a long pipelined conversation in order.
TEST_F(HostProcessTest, TwoHostsLoggingAtOnceKeepEveryLineWholeAndAnswerEveryRequest) {
    enableLog();
    constexpr int count = 500;
    std::string requests;
    std::string replies;
    for (int i = 0; i < count; ++i) {
        requests += frame("{\"options\":" + std::to_string(i) + "}");
        replies += frame(reply);
    }
    auto first = start();
    auto second = start();
    for (auto* host : {first.get(), second.get()}) {
        host->send(requests);
        host->closeInput();
    }
    for (auto* host : {first.get(), second.get()}) {
        EXPECT_TRUE(host->receiveRest() == replies);
        EXPECT_EQ(host->waitForExit(), 0);
    }
    auto lines = logLines();
    for (std::string start :
         {"handleJsonResult: {\"options\":", "DAta size,4 4 bytes!", "Write Data:{\"options\": {\"a\":1}}"})
        EXPECT_EQ(
            std::count_if(lines.begin(), lines.end(), [&](auto& line) { return line.starts_with(start); }),
            2 * count)
            << start;
    for (const auto& line : lines)
        EXPECT_TRUE(line.starts_with("Received:") || line.starts_with("{\"options\":") ||
                    line.starts_with("handleJsonResult: ") || line.starts_with("AppPAth: ") ||
                    line == "{\"a\":1}" || line.starts_with("Write Data:") || line == "DAta size,4 4 bytes!")
            << line;
}
