#include "platform/foundation/json.h"
#include "platform/foundation/json_outline.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using foundation::JSONOutline;
using foundation::JSONSerialization;
using foundation::JSONValue;

namespace {

std::optional<JSONOutline> outline(std::string& text) {
    return JSONOutline::readInPlace(text.data(), text.size());
}

std::string nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

// What request handling takes from a value built the ordinary way.
struct Expected {
    bool isObject = false;
    std::optional<std::string> firstKey;
    std::optional<std::string> firstKeyString;
};

Expected expectedFrom(const JSONValue& value) {
    Expected expected{value.is_object(), std::nullopt, std::nullopt};
    if (!value.is_object() || value.empty())
        return expected;
    expected.firstKey = value.begin().key();
    if (value.begin().value().is_string())
        expected.firstKeyString = value.begin().value().get<std::string>();
    return expected;
}

void expectAgreement(const std::string& text) {
    auto value = JSONSerialization::JSONObjectWithData(text, JSONSerialization::fragmentsAllowed);
    std::string inPlace = text;
    auto read = outline(inPlace);
    ASSERT_EQ(read.has_value(), value.has_value()) << "text: " << text;
    if (!value)
        return;
    Expected expected = expectedFrom(*value);
    EXPECT_EQ(read->isObject, expected.isObject) << "text: " << text;
    EXPECT_EQ(read->firstKey, expected.firstKey) << "text: " << text;
    EXPECT_EQ(read->firstKeyString, expected.firstKeyString) << "text: " << text;
}

const std::vector<std::string> trickyTexts = {
    // requests as the browser sends them, and values that are no objects
    R"({"options":true})",
    R"({"url":"https://a.example/"})",
    "{}",
    "[]",
    R"("abc")",
    "5",
    "null",
    "true",
    R"(  {"url" : "x" } )"
    "\n",
    // a key written again keeps its place and takes the later value
    R"({"url":"a","url":"b"})",
    R"({"url":"a","x":1,"url":5})",
    R"({"url":5,"x":1,"url":"b"})",
    R"({"url":"a","url":{"b":"c"}})",
    R"({"url":"a","url":["x"]})",
    R"({"x":"a","url":"b","x":2})",
    // the same key deeper down is another object's
    R"({"url":{"url":"inner"}})",
    R"({"a":{"url":"x"},"url":"y"})",
    R"({"url":["x"],"y":"z"})",
    R"([{"url":"x"}])",
    R"({"url":[{"url":"x"}],"url":null})",
    // escapes in keys and values
    R"({"\u0075rl":"x"})",
    R"({"url\u0000":"x"})",
    R"({"u\"rl":"x"})",
    R"({"url":"a\u0000b"})",
    R"({"url":"\ud83d\ude00 caf\u00e9 \n\t\\"})",
    R"({"":"empty key"})",
    // raw NUL bytes are never JSON
    std::string("{\"url\":\"x\"}\0", 12),
    std::string("{\"url\":\"x\0\"}", 12),
    std::string("\0", 1),
    std::string("{\"a\":1}\0 garbage", 16),
    std::string("{\"url\":\0\"x\"}", 12),
    // a byte-order mark is skipped
    "\xEF\xBB\xBF{\"url\":\"x\"}",
    "\xEF\xBB\xBF",
    "\xEF\xBB{}",
    // UTF-8 that is not well formed, raw or escaped
    "{\"url\":\"\xFF\"}",
    "{\"\xC0\x80\":\"x\"}",
    "{\"url\":\"\xED\xA0\x80\"}",
    R"({"url":"\udc00"})",
    R"({"url":"\ud800"})",
    "{\"url\":\"ok\",\"x\":\"\xF5\x80\x80\x80\"}",
    // numbers: too large for a double is not JSON, too small is zero
    R"({"url":1e400})",
    R"({"url":-1e400})",
    R"({"url":1.5e-400})",
    R"({"url":-0})",
    R"({"options":123456789012345678901234567890})",
    R"({"url":18446744073709551616})",
    R"({"url":01})",
    R"({"url":1.})",
    R"({"url":.5})",
    "1e999",
    "-9223372036854775809",
    // broken texts
    "",
    "   ",
    R"({"url":"x"} x)",
    R"({"url":"x")",
    R"({"url":"x",})",
    R"({"url" "x"})",
    R"({url:"x"})",
    R"({"url":"x"}{})",
    R"({"url":tru})",
    "{\"url\":\"a\nb\"}",
    R"({"url":"x\q"})",
    // nesting up to the limit and one beyond
    "{\"url\":\"x\",\"d\":" + nested(511) + "}",
    "{\"url\":\"x\",\"d\":" + nested(512) + "}",
    nested(512),
    nested(513),
    "{\"url\":" + nested(600) + "}",
};

} // namespace

TEST(JSONOutline, AgreesWithTheBuiltValueOnTrickyTexts) {
    for (const auto& text : trickyTexts)
        expectAgreement(text);
}

TEST(JSONOutline, AgreesOnEveryPrefixOfARequest) {
    const std::string request = "\xEF\xBB\xBF"
                                R"( {"url" : "https://a.example/\u00e9", "url": [1, {"k": -2.5e3}]} )";
    for (std::size_t cut = 0; cut <= request.size(); ++cut)
        expectAgreement(request.substr(0, cut));
}

TEST(JSONOutline, GivesTheFirstKeyAndItsLastStringValue) {
    std::string text = R"({"url":1,"options":true,"url":"https://a.example/"})";
    auto read = outline(text);
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->isObject);
    EXPECT_EQ(read->firstKey, "url");
    EXPECT_EQ(read->firstKeyString, "https://a.example/");
}

TEST(JSONOutline, RefusesARawNulWhereverItIs) {
    const std::string request = R"( {"url":"x", "n": [1, true, null]} )";
    for (std::size_t at = 0; at <= request.size(); ++at) {
        std::string text = request;
        text.insert(at, 1, '\0');
        EXPECT_FALSE(outline(text).has_value()) << "NUL at " << at;
        EXPECT_FALSE(JSONSerialization::JSONObjectWithData(request.substr(0, at) + '\0' + request.substr(at),
                                                           JSONSerialization::fragmentsAllowed))
            << "NUL at " << at;
    }
}
