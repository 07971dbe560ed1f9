#include "platform/foundation/console_log.h"
#include "platform/foundation/json.h"
#include "platform/foundation/json_outline.h"
#include "platform/foundation/string_encoding.h"
#include "platform/foundation/url.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace foundation;
using namespace std::string_literals;

namespace {

std::optional<JSONValue> parse(std::string text,
                               JSONSerialization::ReadingOptions options = JSONSerialization::none) {
    return JSONSerialization::JSONObjectWithData(std::move(text), options);
}

std::optional<JSONOutline> outline(std::string& text) {
    return JSONOutline::readInPlace(text.data(), text.size());
}

std::string nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

// The outline the host reads requests with must agree with the value built the ordinary way.
void expectAgreement(const std::string& text) {
    auto value = parse(text, JSONSerialization::fragmentsAllowed);
    std::string inPlace = text;
    auto read = outline(inPlace);
    ASSERT_EQ(read.has_value(), value.has_value()) << "text: " << text;
    if (!value)
        return;
    bool filled = value->is_object() && !value->empty();
    EXPECT_EQ(read->isObject, value->is_object()) << "text: " << text;
    EXPECT_EQ(read->firstKey, filled ? std::optional(value->begin().key()) : std::nullopt)
        << "text: " << text;
    EXPECT_EQ(read->firstKeyString, filled && value->begin()->is_string()
                                        ? std::optional(value->begin()->get<std::string>())
                                        : std::nullopt)
        << "text: " << text;
}

} // namespace

// A repeated key keeps its first place and takes its last value, at every depth.
TEST(JSONParsing, ReadsValuesKeepingKeysInTextOrder) {
    auto value = parse(
        R"({"b":1,"a":2,"b":3,"c":{"x":1,"y":2,"x":[4]},"d":["caf\u00e9","\ud83d\ude00","a\"b",2.5,null]})");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->dump(),
              "{\"b\":3,\"a\":2,\"c\":{\"x\":[4],\"y\":2},\"d\":[\"caf\xC3\xA9\",\"\xF0\x9F\x98\x80\","
              "\"a\\\"b\",2.5,null]}");
    EXPECT_EQ(JSONSerialization::description(JSONValue::array({"q\"b\\n\n", "caf\xC3\xA9"})),
              "[\"q\\\"b\\\\n\\n\",\"caf\xC3\xA9\"]");
}

TEST(JSONParsing, TakesFragmentsOnlyWhenAllowed) {
    for (std::string text : {R"("text")", "42", "true", "null"}) {
        EXPECT_EQ(parse(text), std::nullopt) << text;
        EXPECT_EQ(parse(text, JSONSerialization::fragmentsAllowed), JSONValue::parse(text)) << text;
    }
}

// The outline refuses them alike.
TEST(JSONParsing, RefusesMalformedTexts) {
    std::vector<std::string> texts = {// trailing text, also past a NUL byte, and broken syntax
                                      "[1] x", "{}{}", "{\"a\":1}\0garbage"s, "[1,]", "{\"a\" 1}", "{'a':1}",
                                      "[1", "[\"raw\ttab\"]", "[\"nul\0\"]"s,
                                      // invalid UTF-8, lone surrogates, numbers too large for a double
                                      "[\"\xC0\x80\"]", "[\"\xED\xA0\x80\"]", "[\"\xF4\x90\x80\x80\"]",
                                      "{\"\xFF\":1}", R"(["\ud800"])", R"(["\udc00"])", R"(["\ud83dx"])",
                                      "[1e400]", "[-1e99999999999999999999]"};
    for (std::size_t depth : {JSONSerialization::maximumNestingDepth + 1, 1'000'000})
        texts.push_back(nested(depth));
    texts.push_back(std::string(1'000'000, '['));
    for (const auto& text : texts) {
        EXPECT_EQ(parse(text), std::nullopt) << text.substr(0, 40);
        expectAgreement(text);
    }
    EXPECT_EQ(parse("1 2", JSONSerialization::fragmentsAllowed), std::nullopt);
    EXPECT_TRUE(parse(nested(JSONSerialization::maximumNestingDepth)).has_value());
}

TEST(JSONOutline, AgreesWithTheBuiltValueOnTrickyTexts) {
    const std::string texts[] = {
        R"({"options":true})", "[]", R"("abc")", "5", "null", "", "   ", R"({url:"x"})", R"({"url":tru})",
        // a key written again keeps its place and takes the later value; deeper keys are others'
        R"({"url":"a","x":1,"url":5})", R"({"url":5,"x":1,"url":"b"})", R"({"url":"a","url":{"b":"c"}})",
        R"({"x":"a","url":"b","x":2})", R"({"url":{"url":"inner"}})", R"({"a":{"url":"x"},"url":"y"})",
        R"([{"url":"x"}])", R"({"url":[{"url":"x"}],"url":null})",
        // escapes, NUL bytes, byte-order marks, control characters, UTF-8 that is not well formed
        R"({"\u0075rl":"x"})", R"({"url\u0000":"x"})", R"({"u\"rl":"x"})", R"({"":"empty key"})",
        R"({"url":"\ud83d\ude00 caf\u00e9 \n"})", "{\"url\":\"x\"}\0"s, "\0"s, "\xEF\xBB\xBF", "\xEF\xBB{}",
        "{\"url\":\"a\nb\"}", R"({"url":"x\q"})", "{\"url\":\"ok\",\"x\":\"\xF5\x80\x80\x80\"}",
        // numbers: too large for a double is not JSON, too small is zero
        R"({"url":1e400})", R"({"url":1.5e-400})", R"({"url":-0})",
        R"({"options":123456789012345678901234567890})", R"({"url":01})", R"({"url":1.})", R"({"url":.5})",
        "-9223372036854775809",
        // nesting up to the limit and one beyond
        "{\"url\":\"x\",\"d\":" + nested(511) + "}", "{\"url\":\"x\",\"d\":" + nested(512) + "}", nested(512),
        nested(513)};
    for (const auto& text : texts)
        expectAgreement(text);
    const std::string request = "\xEF\xBB\xBF"
                                R"( {"url" : "https://a.example/\u00e9", "url": [1, {"k": -2.5e3}]} )";
    for (std::size_t cut = 0; cut <= request.size(); ++cut)
        expectAgreement(request.substr(0, cut));
}

TEST(UTF8Validation, AcceptsEveryLengthAtItsBoundsAndRefusesWhatIsNotUTF8) {
    for (const char* text :
         {"\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF",
          "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "caf\xC3\xA9 \xF0\x9F\x98\x80"})
        EXPECT_TRUE(isValidUTF8(text)) << text;
    for (std::string text :
         {// overlong, surrogates, beyond U+10FFFF
          "\xC0\x80"s, "\xC1\xBF"s, "\xE0\x9F\xBF"s, "\xF0\x8F\xBF\xBF"s, "\xED\xA0\x80"s, "\xED\xBF\xBF"s,
          "\xF4\x90\x80\x80"s, "\xF5\x80\x80\x80"s, "\xF8\x88\x80\x80\x80"s, "\xFE"s, "\xFF"s,
          // cut short, stray continuation bytes
          "a\xC3"s, "a\xE2\x82"s, "a\xF0\x9F\x98"s, "\xC3"s + "a", "\xF0\x9F\xC3\xA9"s, "a\x80"s + "b",
          "\xC3\xA9\xA9"s}) {
        EXPECT_FALSE(isValidUTF8(text)) << text;
        EXPECT_EQ(stringWithUTF8(text), std::nullopt);
    }
    // ASCII is skipped in blocks; a fault anywhere in a block, or across two, must still be seen.
    for (std::size_t prefix = 0; prefix <= 140; ++prefix) {
        std::string before(prefix, 'a'), after(prefix % 71, 'b');
        EXPECT_TRUE(isValidUTF8(before + "\xC3\xA9" + after));
        for (const char* fault : {"\xC0\x80", "\xED\xA0\x80", "\x80", "\xE2\x82", "\xFF"})
            EXPECT_FALSE(isValidUTF8(before + fault + after)) << "after " << prefix << " ASCII bytes";
    }
}

TEST(DebugDescription, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(foundation::debugDescription(std::string("say \"hi\" it's a\\b\n\r\t\0\x01\x1B[0m\x7F", 27)),
              R"(Optional("say \"hi\" it\'s a\\b\n\r\t\0\u{01}\u{1B}[0m\u{7F}"))");
}

TEST(URLParsing, ReadsTheSchemeLowerCasedAndThePath) {
    auto url = URL::URLWithString("HtTpS://example.com/a?b=c");
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->scheme() + " " + url->path(), "https /a");
    EXPECT_TRUE(URL::URLWithString("FILE:///tmp/x")->isFileURL());
    for (const char* text : {"example.com/x", "/absolute/path", "//host/path", "?query", "#fragment"})
        EXPECT_FALSE(URL::URLWithString(text).value().hasScheme()) << text;
    for (const char* text :
         {"%", "https://example.com/100%", "https://example.com/%4", "https://example.com/%zz"})
        EXPECT_EQ(URL::URLWithString(text), std::nullopt) << text;
}

TEST(FileURL, PercentEncodesThePathAndParsesBackToIt) {
    EXPECT_EQ(URL::fileURLWithPath("/tmp/a b/caf\xC3\xA9").absoluteString(), "file:///tmp/a%20b/caf%C3%A9");
    EXPECT_EQ(URL::fileURLWithPath("/plain/path-1_2.~x").absoluteString(), "file:///plain/path-1_2.~x");
    for (std::string path : {"/tmp/100%", "/tmp/x#y", "/tmp/x?y", "/tmp/a;b&c=$d'e", "/tmp/[x]{y}<z>\"q\"\\",
                             "/tmp/tab\there"}) {
        auto parsed = URL::URLWithString(URL::fileURLWithPath(path).absoluteString());
        ASSERT_TRUE(parsed.has_value()) << path;
        EXPECT_TRUE(parsed->isFileURL());
        EXPECT_EQ(parsed->path(), path);
    }
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path("/tmp");
    auto relative = URL::fileURLWithPath("some dir/file");
    std::filesystem::current_path(previous);
    EXPECT_EQ(relative.absoluteString(), "file:///tmp/some%20dir/file");
}

TEST(ConsoleLog, StampsTheLineWithTimeProcessAndId) {
    std::string pid = std::to_string(::getpid());
    auto line = foundation::consoleLogLine("showTooltipTimerFired");
    // std::regex would do, but the sanitizer build's optimiser warns inside it.
    auto stamp = line.substr(0, 24);
    std::replace_if(stamp.begin(), stamp.end(), ::isdigit, '0');
    EXPECT_EQ(stamp, "0000-00-00 00:00:00.000 ");
    EXPECT_EQ(line.substr(24), std::string(program_invocation_short_name) + "[" + pid + ":" + pid +
                                   "] showTooltipTimerFired\n");
}
