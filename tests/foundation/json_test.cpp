#include "platform/foundation/json.h"
#include "platform/foundation/json_outline.h"

#include <gtest/gtest.h>

using foundation::JSONOutline;
using foundation::JSONSerialization;
using foundation::JSONValue;
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
        R"({"options":true})", "[]", R"("abc")", "5", "null",
        R"(  {"url" : "x" } )"
        "\n",
        // a key written again keeps its place and takes the later value; deeper keys are others'
        R"({"url":"a","x":1,"url":5})", R"({"url":5,"x":1,"url":"b"})", R"({"url":"a","url":{"b":"c"}})",
        R"({"x":"a","url":"b","x":2})", R"({"url":{"url":"inner"}})", R"({"a":{"url":"x"},"url":"y"})",
        R"([{"url":"x"}])", R"({"url":[{"url":"x"}],"url":null})",
        // escapes, NUL bytes, byte-order marks, UTF-8 that is not well formed
        R"({"\u0075rl":"x"})", R"({"url\u0000":"x"})", R"({"u\"rl":"x"})",
        R"({"url":"\ud83d\ude00 caf\u00e9 \n"})", R"({"":"empty key"})", std::string("{\"url\":\"x\"}\0", 12),
        std::string("\0", 1), "\xEF\xBB\xBF{\"url\":\"x\"}", "\xEF\xBB\xBF", "\xEF\xBB{}",
        "{\"url\":\"\xFF\"}", "{\"\xC0\x80\":\"x\"}", R"({"url":"\udc00"})",
        "{\"url\":\"ok\",\"x\":\"\xF5\x80\x80\x80\"}",
        // numbers: too large for a double is not JSON, too small is zero
        R"({"url":1e400})", R"({"url":1.5e-400})", R"({"url":-0})",
        R"({"options":123456789012345678901234567890})", R"({"url":01})", R"({"url":1.})", R"({"url":.5})",
        "-9223372036854775809",
        // broken texts
        "", "   ", R"({url:"x"})", R"({"url":tru})", "{\"url\":\"a\nb\"}", R"({"url":"x\q"})",
        // nesting up to the limit and one beyond
        "{\"url\":\"x\",\"d\":" + nested(511) + "}", "{\"url\":\"x\",\"d\":" + nested(512) + "}", nested(512),
        nested(513), "{\"url\":" + nested(600) + "}"};
    for (const auto& text : texts)
        expectAgreement(text);
    const std::string request = "\xEF\xBB\xBF"
                                R"( {"url" : "https://a.example/\u00e9", "url": [1, {"k": -2.5e3}]} )";
    for (std::size_t cut = 0; cut <= request.size(); ++cut)
        expectAgreement(request.substr(0, cut));
}

TEST(JSONOutline, RefusesARawNulWhereverItIs) {
    const std::string request = R"( {"url":"x", "n": [1, true, null]} )";
    for (std::size_t at = 0; at <= request.size(); ++at) {
        std::string text = request.substr(0, at) + '\0' + request.substr(at);
        EXPECT_FALSE(parse(text, JSONSerialization::fragmentsAllowed)) << "NUL at " << at;
        EXPECT_FALSE(outline(text).has_value()) << "NUL at " << at;
    }
}
