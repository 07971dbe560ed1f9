#include "tests/host/host_process.h"
#include "tests/support/temporary_home.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The bytes of one frame: little-endian length, then the message.
std::string lengthPrefix(std::uint32_t length) {
    return {static_cast<char>(length), static_cast<char>(length >> 8), static_cast<char>(length >> 16),
            static_cast<char>(length >> 24)};
}

std::string frame(std::string_view message) {
    return lengthPrefix(static_cast<std::uint32_t>(message.size())).append(message);
}

std::vector<std::string> linesOf(const fs::path& file) {
    std::vector<std::string> lines;
    std::istringstream text(readFile(file));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

const std::string reply = "{\"options\": {\"a\":1}}";

} // namespace

// The real host, run through pipes in a temporary home with a Documents folder, from a working
// folder holding "data.json", with a stand-in opener on PATH.
class HostProcessTest : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        fs::create_directories(documents());
        workingFolder_ = makeFolder("app folder");
        writeOptions("{\"a\":1}");
        // Records its signal masks, then its arguments, where its output goes and whether it
        // inherited a descriptor 3; it lingers while "hold" exists.
        auto opener = makeFolder("bin") / "xdg-open";
        writeFile(opener,
                  "#!/bin/sh\n"
                  "fd3=closed; [ -e /proc/$$/fd/3 ] && fd3=open\n"
                  "while read -r name value; do case $name in SigIgn:|SigBlk:) echo \"$value\" ;; esac\n"
                  "done < /proc/$$/status >> \"$HOME/signals.txt\"\n"
                  "printf '%s|%s|%s|fd3 %s\\n' \"$#\" \"$1\" \"$(readlink /proc/$$/fd/1)\" \"$fd3\" "
                  ">> \"$HOME/opened.txt\"\n"
                  "while [ -e \"$HOME/hold\" ]; do sleep 0.01; done\n");
        fs::permissions(opener, fs::perms::owner_all);
    }

    std::unique_ptr<HostProcess> start(std::vector<std::string> arguments = {}, bool likeFirefox = false,
                                       std::optional<unsigned> descriptorLimit = {}) {
        return std::make_unique<HostProcess>(HostProcess::Options{
            workingFolder_, std::move(arguments), (home() / "bin").string(), likeFirefox, descriptorLimit});
    }
    void enableLog() const { writeFile(documents() / "EnableLog", ""); }
    void writeOptions(std::string_view text) const { writeFile(workingFolder_ / "data.json", text); }
    std::vector<std::string> logLines() const { return linesOf(documents() / "log.txt"); }
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

    fs::path workingFolder_;
};

// Without the switch nothing is logged; with it, a log that is a pipe nobody reads never holds up
// the replies.
TEST_F(HostProcessTest, AnswersAOneShotOptionsRequestAndExitsAtEndOfInput) {
    for (bool fifo : {false, true}) {
        if (fifo) {
            enableLog();
            ASSERT_EQ(::mkfifo((documents() / "log.txt").c_str(), 0600), 0);
        }
        auto host = start({"chrome-extension://abcdefghijklmnopabcdefghijklmnop/"});
        host->send(frame("{\"options\":true}"));
        host->closeInput();
        EXPECT_EQ(host->receive(), frame(reply));
        EXPECT_EQ(host->waitForExit(), 0);
        EXPECT_EQ(host->standardError(), "");
        EXPECT_EQ(fs::exists(documents() / "log.txt"), fifo);
    }
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
    std::string expected = R"(earlier
Received:Optional("\u{10}\0\0\0{\"options\":true}")
{"options":true}
handleJsonResult: {"options":true}
AppPAth: FOLDER
{"a":1}
Write Data:{"options": {"a":1}}
DAta size,4 4 bytes!
{"a":1}
Received:Optional("\u{1E}\0\0\0{\"url\":\"https://example.com/\"}")
{"url":"https://example.com/"}
handleJsonResult: {"url":"https://example.com/"}
URL: https://example.com/
Received: FOLDER
Received:Optional("")
)";
    for (auto at = expected.find("FOLDER"); at != std::string::npos; at = expected.find("FOLDER"))
        expected.replace(at, 6, workingFolder_.string());
    EXPECT_EQ(readFile(home() / "Papers/log.txt"), expected);
}

// The later changes come once the host has settled into a conversation and watches the folder;
// the last replaces the folder itself.
TEST_F(HostProcessTest, LoggingFollowsTheSwitchWhileRunning) {
    auto host = start();
    for (int i = 1; i <= 6; ++i) {
        if (i == 6) {
            fs::rename(documents(), home() / "Old");
            fs::create_directory(documents());
        }
        if (i == 4)
            fs::create_directory(documents() / "EnableLog"); // only its existence counts
        else if (i % 2 == 0)
            enableLog();
        else
            fs::remove(documents() / "EnableLog");
        host->send(frame("{\"options\":" + std::to_string(i) + "}"));
        EXPECT_EQ(host->receiveFrame(), reply);
    }
    host->closeInput();
    host->waitForExit();
    struct stat status {};
    ASSERT_EQ(::stat((documents() / "log.txt").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(logLines().at(1), "{\"options\":6}");
    auto lines = linesOf(home() / "Old/log.txt");
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[1], "{\"options\":2}");
    EXPECT_EQ(lines[9], "{\"options\":4}");
}

// Every request reads the file afresh; text that is not JSON is sent as it is.
TEST_F(HostProcessTest, AnUnreadableOptionsFileSendsNothingAndReadingGoesOn) {
    auto data = workingFolder_ / "data.json";
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
        EXPECT_EQ(host->receive(), "") << unreadable;
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

// A small write arrives in one read: after a refused length the rest of the read is dropped, and
// a frame cut short by the end of input is ignored.
TEST_F(HostProcessTest, GathersFramesSplitBetweenReadsAndSkipsARefusedLength) {
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
    host->send(lengthPrefix(0x7FFFFFFF) + "xyz");
    waitForLogged("Error", 1);
    host->send(request);
    EXPECT_EQ(host->receiveFrame(), reply);
    host->send(lengthPrefix(10) + "{\"opt");
    host->closeInput();
    EXPECT_EQ(host->receive(), "");
    EXPECT_EQ(host->waitForExit(), 0);
    EXPECT_EQ(host->standardError(), "");
}

// Started as Chrome starts it, or as Firefox does (SIGPIPE ignored, a pipe on descriptor 3), the
// host opens a URL with an opener that inherits neither, and a reply nobody reads ends the
// conversation: the host exits with 0 while its input is still open.
TEST_F(HostProcessTest, OpensAURLWithACleanOpenerAndEndsWhenTheBrowserClosedItsOutput) {
    for (bool likeFirefox : {false, true}) {
        fs::remove(home() / "opened.txt");
        fs::remove(home() / "signals.txt");
        auto host = start({}, likeFirefox);
        host->send(frame("{\"url\":\"https://example.com/p?q=1&r=%27x%27;$(id)\"}"));
        EXPECT_EQ(opened(1), std::vector<std::string>{
                                 "1|https://example.com/p?q=1&r=%27x%27;$(id)|/dev/null|fd3 closed"});
        // Signals 1 to 31: above them lie the C library's own, which it sets up itself.
        auto signals = linesOf(home() / "signals.txt");
        EXPECT_EQ(signals.size(), 2u);
        for (const auto& line : signals)
            EXPECT_EQ(std::stoull(line, nullptr, 16) & 0x7FFFFFFFu, 0u) << line;
        host->closeOutput();
        host->send(frame("{\"options\":true}"));
        EXPECT_EQ(host->waitForExit(), 0);
        EXPECT_EQ(host->standardError(), "");
    }
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
    for (int i = 0; i < 2000 && host->children() > 0; ++i)
        ::usleep(5000);
    EXPECT_EQ(host->children(), 0u) << "finished openers were left unreaped";
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
        std::string("{\"url\":\"https://e.example/\"}\0", 30),
        "\xEF\xBB\xBF{\"url\":\"https://f.example/\"}",
        R"({"url":{"url":"https://a.example/"}})",
        R"({"url":5})",
        R"({"url":"has space"})",
        R"({"url":"example.com/x"})",
        R"("abc")",
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
        EXPECT_EQ(host->receive(), frame(reply) + frame(reply)) << "logged " << logged;
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
        EXPECT_TRUE(host->receive() == replies);
        EXPECT_EQ(host->waitForExit(), 0);
    }
    // Whole lines only, none lost: the start of each line that is not a read.
    std::map<std::string, int> kinds;
    for (const auto& line : logLines())
        if (!line.starts_with("Received:"))
            ++kinds[line.substr(0, 11)];
    EXPECT_EQ(kinds,
              (std::map<std::string, int>{{"{\"options\":", 2 * count},
                                          {"handleJsonR", 2 * count},
                                          {"AppPAth: " + workingFolder_.string().substr(0, 2), 2 * count},
                                          {"{\"a\":1}", 4 * count},
                                          {"Write Data:", 2 * count},
                                          {"DAta size,4", 2 * count}}));
}
