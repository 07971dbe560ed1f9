#include "host/console_io.h"
#include "tests/host/host_fixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using foundation::FileHandle;

// Feeds standard input one read at a time through a pipe and collects the reply frames.
class ConsoleIOTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        int input[2];
        int output[2];
        ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
        ASSERT_EQ(::pipe2(output, O_CLOEXEC | O_NONBLOCK), 0);
        inputWriter_ = input[1];
        outputReader_ = output[0];
        input_ = std::make_unique<FileHandle>(input[0], true);
        output_ = std::make_unique<FileHandle>(output[1], true);
        console_ = std::make_unique<ConsoleIO>(*input_, *output_, workspace_);
        writeOptions("{\"a\":1}");
    }
    void TearDown() override {
        console_.reset();
        input_.reset();
        output_.reset();
        closeInput();
        ::close(outputReader_);
        HostFixture::TearDown();
    }

    // One read of standard input that returns exactly these bytes.
    void deliver(std::string_view chunk) {
        ASSERT_EQ(::write(inputWriter_, chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
        console_->readMessage(*input_);
    }
    void closeInput() {
        if (inputWriter_ >= 0)
            ::close(inputWriter_);
        inputWriter_ = -1;
    }
    std::string replies() {
        std::string bytes;
        char buffer[65536];
        for (ssize_t n; (n = ::read(outputReader_, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, static_cast<std::size_t>(n));
        return bytes;
    }
    std::string optionsReply() const { return frame("{\"options\": {\"a\":1}}"); }

    RecordingWorkspace workspace_;
    std::unique_ptr<FileHandle> input_;
    std::unique_ptr<FileHandle> output_;
    std::unique_ptr<ConsoleIO> console_;
    int inputWriter_ = -1;
    int outputReader_ = -1;
};

TEST_F(ConsoleIOTest, AnswersAnOptionsRequestAndLogsItsRoad) {
    enableLog();
    deliver(frame("{\"options\":true}"));
    EXPECT_EQ(replies(), optionsReply());
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "Received:Optional(\"\\u{10}\\0\\0\\0{\\\"options\\\":true}\")",
                              "{\"options\":true}",
                              "handleJsonResult: {\"options\":true}",
                              "AppPAth: " + workingFolder().string(),
                              "{\"a\":1}",
                              "Write Data:{\"options\": {\"a\":1}}",
                              "DAta size,4 4 bytes!",
                              "{\"a\":1}",
                          }));
}

TEST_F(ConsoleIOTest, HandlesEveryFrameOfOneRead) {
    deliver(frame("{\"options\":1}") + frame("{\"url\":\"https://a.example/\"}") + frame("{\"options\":2}"));
    EXPECT_EQ(replies(), optionsReply() + optionsReply());
    EXPECT_EQ(workspace_.opened, std::vector<std::string>{"https://a.example/"});
}

TEST_F(ConsoleIOTest, GathersAFrameSplitAcrossReadsAtEveryPosition) {
    std::string request = frame("{\"options\":true}");
    for (std::size_t cut = 1; cut < request.size(); ++cut) {
        deliver(request.substr(0, cut));
        EXPECT_EQ(replies(), "") << "cut at " << cut;
        deliver(request.substr(cut));
        EXPECT_EQ(replies(), optionsReply()) << "cut at " << cut;
    }
}

TEST_F(ConsoleIOTest, LogsErrorForAMessageThatIsNotJSONAndReadsOn) {
    enableLog();
    deliver(frame(""));
    deliver(frame("{\"options\":"));
    deliver(frame("{\"options\":true}"));
    auto lines = logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Error"), 2);
    EXPECT_EQ(replies(), optionsReply());
}

TEST_F(ConsoleIOTest, IgnoresJSONThatIsNotAnObject) {
    enableLog();
    deliver(frame("\"abc\""));
    deliver(frame("[1]"));
    deliver(frame("null"));
    for (const auto& line : logLines())
        EXPECT_TRUE(line.starts_with("Received:")) << line;
    deliver(frame("{\"options\":1}"));
    EXPECT_EQ(replies(), optionsReply());
}

TEST_F(ConsoleIOTest, RefusesAnOversizedLengthWithoutAllocatingAndStartsAfresh) {
    enableLog();
    deliver(lengthPrefix(0xFFFFFFFF) + "{\"options\":1}");
    EXPECT_EQ(logLines().back(), "Error");
    deliver(frame("{\"options\":1}"));
    EXPECT_EQ(replies(), optionsReply());
}

TEST_F(ConsoleIOTest, SurvivesDeepNestingAndInvalidUTF8) {
    enableLog();
    deliver(frame(std::string(30000, '[') + std::string(30000, ']'))); // one pipe's worth
    deliver(frame("{\"url\":\"\xFF\"}"));
    deliver(frame("{\"options\":\"\xED\xA0\x80\"}"));
    auto lines = logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Error"), 3);
    EXPECT_TRUE(lines[lines.size() - 2].starts_with("Received:nil"));
    EXPECT_TRUE(replies().empty());
    EXPECT_TRUE(workspace_.opened.empty());
}

TEST_F(ConsoleIOTest, TheEmptyReadAtEndOfInputIsLoggedAndStopsReading) {
    enableLog();
    deliver(lengthPrefix(20) + "partial");
    closeInput();
    console_->readMessage(*input_);
    EXPECT_EQ(logLines().back(), "Received:Optional(\"\")");
    EXPECT_TRUE(replies().empty());
}

TEST_F(ConsoleIOTest, LoggingCanBeSwitchedOnAndOffBetweenReads) {
    deliver(frame("{\"options\":1}"));
    enableLog();
    deliver(frame("{\"options\":2}"));
    disableLog();
    deliver(frame("{\"options\":3}"));
    auto lines = logLines();
    EXPECT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], "{\"options\":2}");
    EXPECT_EQ(replies(), optionsReply() + optionsReply() + optionsReply());
}

TEST_F(ConsoleIOTest, RunLoopReturnsOnceInputEndsWithEveryRequestAnswered) {
    std::string requests;
    for (int i = 0; i < 50; ++i)
        requests += frame("{\"options\":" + std::to_string(i) + "}");
    ASSERT_EQ(::write(inputWriter_, requests.data(), requests.size()), static_cast<ssize_t>(requests.size()));
    closeInput();
    console_->startReading();
    foundation::RunLoop::main().run();
    std::string expected;
    for (int i = 0; i < 50; ++i)
        expected += optionsReply();
    EXPECT_EQ(replies(), expected);
}

TEST_F(ConsoleIOTest, CarriesOutTrickyRequestsAlikeWithTheLogOnAndOff) {
    const std::vector<std::string> requests = {
        R"({"url":"https://a.example/","url":"https://b.example/"})",
        R"({"url":"https://a.example/","x":1,"url":5})",
        R"({"\u0075rl":"https://c.example/"})",
        R"({"url":"https://d.example/","options":1})",
        R"({"options":1,"url":"https://a.example/"})",
        R"({"x":1,"options":1})",
        R"({"URL":"https://a.example/"})",
        R"({"options":1} x)",
        R"({"options":1e400})",
        R"({"options":1.5e-400, "n": -0})",
        "{\"url\":\"https://a.example/\xFF\"}",
        std::string("{\"url\":\"https://e.example/\"}\0", 30),
        "\xEF\xBB\xBF{\"url\":\"https://f.example/\"}",
        R"({"url":{"url":"https://a.example/"}})",
        R"({"url":"https://g.example/","d":)" + std::string(511, '[') + std::string(511, ']') + "}",
        R"({"options":1,"d":)" + std::string(512, '[') + std::string(512, ']') + "}",
    };
    auto carryOut = [&] {
        for (const auto& request : requests)
            deliver(frame(request));
        std::string all;
        for (const auto& request : requests)
            all += frame(request);
        deliver(all);
        return std::make_pair(replies(), std::exchange(workspace_.opened, {}));
    };
    auto withoutLog = carryOut();
    enableLog();
    auto withLog = carryOut();
    EXPECT_EQ(withoutLog, withLog);
    EXPECT_EQ(withoutLog.first, optionsReply() + optionsReply() + optionsReply() + optionsReply());
    EXPECT_EQ(withoutLog.second,
              (std::vector<std::string>{"https://b.example/", "https://c.example/", "https://d.example/",
                                        "https://f.example/", "https://g.example/", "https://b.example/",
                                        "https://c.example/", "https://d.example/", "https://f.example/",
                                        "https://g.example/"}));
}
