#include "host/request_handler.h"
#include "tests/host/host_fixture.h"

#include <gtest/gtest.h>

namespace {

class CapturedReplies : public TextOutputStream {
public:
    void write(std::string_view text) override { replies.emplace_back(text); }
    std::vector<std::string> replies;
};

} // namespace

class RequestHandlerTest : public HostFixture {
protected:
    void handle(std::string_view requestText) {
        Log log = Log::current(documents().string());
        RequestHandler(log, replies_, workspace_).handleJsonResult(foundation::JSONValue::parse(requestText));
    }
    const std::vector<std::string>& replies() const { return replies_.replies; }
    const std::vector<std::string>& opened() const { return workspace_.opened; }

private:
    CapturedReplies replies_;
    RecordingWorkspace workspace_;
};

TEST_F(RequestHandlerTest, AnswersAnOptionsRequestWithTheFileTextUnchanged) {
    writeOptions("{\"a\":1}");
    handle(R"({"options":true})");
    EXPECT_EQ(replies(), std::vector<std::string>{"{\"options\": {\"a\":1}}"});
}

TEST_F(RequestHandlerTest, IgnoresTheOptionsValue) {
    writeOptions("[1, 2]\n");
    for (auto request : {R"({"options":null})", R"({"options":{}})", R"({"options":"x"})"})
        handle(request);
    EXPECT_EQ(replies(), std::vector<std::string>(3, "{\"options\": [1, 2]\n}"));
}

TEST_F(RequestHandlerTest, SendsEvenAnEmptyOrBrokenFileAsItIs) {
    writeOptions("");
    handle(R"({"options":1})");
    writeOptions("not json {");
    handle(R"({"options":1})");
    EXPECT_EQ(replies(), (std::vector<std::string>{"{\"options\": }", "{\"options\": not json {}"}));
}

TEST_F(RequestHandlerTest, ReadsTheFileAgainForEveryRequest) {
    writeOptions("1");
    handle(R"({"options":1})");
    writeOptions("2");
    handle(R"({"options":1})");
    EXPECT_EQ(replies(), (std::vector<std::string>{"{\"options\": 1}", "{\"options\": 2}"}));
}

TEST_F(RequestHandlerTest, SendsNothingWhenTheFileCannotBeRead) {
    enableLog();
    handle(R"({"options":1})"); // missing
    std::filesystem::create_directory(workingFolder() / "data.json");
    handle(R"({"options":1})"); // a directory
    std::filesystem::remove(workingFolder() / "data.json");
    std::filesystem::create_symlink(workingFolder() / "nowhere", workingFolder() / "data.json");
    handle(R"({"options":1})"); // a dangling link
    EXPECT_TRUE(replies().empty());
    std::string appPath = "AppPAth: " + workingFolder().string();
    EXPECT_EQ(logLines(), (std::vector<std::string>{"handleJsonResult: {\"options\":1}", appPath,
                                                    "handleJsonResult: {\"options\":1}", appPath,
                                                    "handleJsonResult: {\"options\":1}", appPath}));
}

TEST_F(RequestHandlerTest, RefusesAFileThatIsNotUTF8) {
    enableLog();
    writeOptions("{\"a\":\"\xC3\x28\"}");
    handle(R"({"options":1})");
    EXPECT_TRUE(replies().empty());
    EXPECT_EQ(logLines().back(), "Empty json read");
}

TEST_F(RequestHandlerTest, LogsAnOptionsRequestLineByLine) {
    enableLog();
    writeOptions("{\"a\":1}\n");
    handle(R"({"options":true})");
    EXPECT_EQ(logText(), "handleJsonResult: {\"options\":true}\n"
                         "AppPAth: " +
                             workingFolder().string() +
                             "\n"
                             "{\"a\":1}\n\n"
                             "{\"a\":1}\n\n");
}

TEST_F(RequestHandlerTest, OpensTheURLOfAURLRequest) {
    enableLog();
    handle(R"({"url":"https://example.com/a?b=c&d=%20"})");
    EXPECT_EQ(opened(), std::vector<std::string>{"https://example.com/a?b=c&d=%20"});
    EXPECT_TRUE(replies().empty());
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{"handleJsonResult: {\"url\":\"https://example.com/a?b=c&d=%20\"}",
                                        "URL: https://example.com/a?b=c&d=%20",
                                        "Received: " + workingFolder().string()}));
}

TEST_F(RequestHandlerTest, OpensNothingForAURLThatIsNotAStringOrNotAbsolute) {
    enableLog();
    for (auto request : {R"({"url":5})", R"({"url":null})", R"({"url":["https://a.example"]})"})
        handle(request);
    EXPECT_EQ(logLines().size(), 3u);
    for (auto request : {R"({"url":"has space"})", R"({"url":"example.com/x"})", R"({"url":""})"})
        handle(request);
    EXPECT_TRUE(opened().empty());
    EXPECT_EQ(logLines().size(), 3u + 3 * 3);
}

TEST_F(RequestHandlerTest, IgnoresOtherKeysWithoutALogLine) {
    enableLog();
    writeOptions("1");
    for (auto request :
         {R"({})", R"({"URL":"https://a.example"})", R"({"options ":1})", R"({"other":1,"options":1})"})
        handle(request);
    EXPECT_TRUE(replies().empty());
    EXPECT_TRUE(opened().empty());
    EXPECT_FALSE(std::filesystem::exists(documents() / "log.txt"));
}

TEST_F(RequestHandlerTest, CarriesOutOnlyTheFirstKeyOfTheText) {
    writeOptions("1");
    handle(R"({"url":"https://a.example/","options":true})");
    handle(R"({"options":true,"url":"https://b.example/"})");
    EXPECT_EQ(opened(), std::vector<std::string>{"https://a.example/"});
    EXPECT_EQ(replies(), std::vector<std::string>{"{\"options\": 1}"});
}
