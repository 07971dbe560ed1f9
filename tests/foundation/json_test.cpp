#include "platform/foundation/json.h"

#include <gtest/gtest.h>
#include <string>

using foundation::JSONSerialization;
using foundation::JSONValue;

namespace {

std::optional<JSONValue> parse(std::string_view text,
                               JSONSerialization::ReadingOptions options = JSONSerialization::none) {
    return JSONSerialization::JSONObjectWithData(std::string(text), options);
}

std::string nestedArrays(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

} // namespace

TEST(JSONParsing, ReadsObjectsAndArrays) {
    auto value = parse(R"({"message": "hi", "items": [1, 2.5, true, null, {"x": "y"}]})");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ((*value)["message"], "hi");
    ASSERT_TRUE((*value)["items"].is_array());
    EXPECT_EQ((*value)["items"].size(), 5u);
    EXPECT_EQ((*value)["items"][4]["x"], "y");
}

// A repeated key keeps its first place and takes its last value, at every depth.
TEST(JSONParsing, KeepsObjectKeysInTextOrder) {
    auto value = parse(R"({"b":1,"a":2,"b":3,"c":{"x":1,"y":2,"x":[4]}})");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->dump(), R"({"b":3,"a":2,"c":{"x":[4],"y":2}})");
}

TEST(JSONParsing, DecodesEscapesIncludingSurrogatePairs) {
    auto value = parse(R"(["caf\u00e9", "\ud83d\ude00", "a\"b\\c\n"])");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ((*value)[0], "caf\xC3\xA9");
    EXPECT_EQ((*value)[1], "\xF0\x9F\x98\x80");
    EXPECT_EQ((*value)[2], "a\"b\\c\n");
}

TEST(JSONParsing, RefusesFragmentsByDefault) {
    EXPECT_EQ(parse(R"("text")"), std::nullopt);
    EXPECT_EQ(parse("42"), std::nullopt);
    EXPECT_EQ(parse("true"), std::nullopt);
    EXPECT_EQ(parse("null"), std::nullopt);
}

TEST(JSONParsing, AcceptsFragmentsWhenAllowed) {
    EXPECT_EQ(parse(R"("text")", JSONSerialization::fragmentsAllowed), JSONValue("text"));
    EXPECT_EQ(parse("42", JSONSerialization::fragmentsAllowed), JSONValue(42));
    EXPECT_EQ(parse("false", JSONSerialization::fragmentsAllowed), JSONValue(false));
    auto null = parse("null", JSONSerialization::fragmentsAllowed);
    ASSERT_TRUE(null.has_value());
    EXPECT_TRUE(null->is_null());
    EXPECT_EQ(parse("[1]", JSONSerialization::fragmentsAllowed), JSONValue::parse("[1]"));
}

// Trailing text (also past a NUL byte), broken syntax, invalid UTF-8 and lone surrogates.
TEST(JSONParsing, RefusesMalformedTexts) {
    const std::string_view texts[] = {"[1] x",
                                      "{}{}",
                                      "[1],",
                                      std::string_view("[1]\0", 4),
                                      std::string_view("{\"a\":1}\0garbage", 15),
                                      "[1,]",
                                      "{\"a\" 1}",
                                      "{'a':1}",
                                      "[1",
                                      "{\"a\":1",
                                      "[\"unterminated]",
                                      "[\"raw\ttab\"]",
                                      std::string_view("[\"nul\0\"]", 8),
                                      "[\"\xC0\x80\"]",
                                      "[\"\xED\xA0\x80\"]",
                                      "[\"\xF4\x90\x80\x80\"]",
                                      "[\"\x80\"]",
                                      "{\"\xFF\":1}",
                                      R"(["\ud800"])",
                                      R"(["\udc00"])",
                                      R"(["\ud83dx"])"};
    for (auto text : texts)
        EXPECT_EQ(parse(text), std::nullopt) << text;
    EXPECT_EQ(parse("1 2", JSONSerialization::fragmentsAllowed), std::nullopt);
    EXPECT_EQ(parse(std::string_view("7\0008", 3), JSONSerialization::fragmentsAllowed), std::nullopt);
}

TEST(JSONNesting, AcceptsContainersNestedToTheMaximumDepth) {
    auto value = parse(nestedArrays(JSONSerialization::maximumNestingDepth));
    ASSERT_TRUE(value.has_value());
    int depth = 0;
    for (const JSONValue* inner = &*value; inner->is_array() && !inner->empty(); inner = &(*inner)[0])
        ++depth;
    EXPECT_EQ(depth, JSONSerialization::maximumNestingDepth - 1);
}

TEST(JSONNesting, RefusesContainersNestedOneBeyondTheMaximumDepth) {
    EXPECT_EQ(parse(nestedArrays(JSONSerialization::maximumNestingDepth + 1)), std::nullopt);
}

TEST(JSONNesting, SurvivesAMillionOpeningBrackets) {
    EXPECT_EQ(parse(std::string(1'000'000, '[')), std::nullopt);
    EXPECT_EQ(parse(nestedArrays(1'000'000)), std::nullopt);
    EXPECT_EQ(parse(std::string(1'000'000, '[') + "]", JSONSerialization::fragmentsAllowed), std::nullopt);
}

TEST(JSONDescription, EscapesSpecialCharactersAndKeepsNonASCII) {
    JSONValue value = JSONValue::array({"q\"b\\n\n", "caf\xC3\xA9"});
    EXPECT_EQ(JSONSerialization::description(value), "[\"q\\\"b\\\\n\\n\",\"caf\xC3\xA9\"]");
}

TEST(JSONNumbers, KeepsIntegersExactAcrossTheWhole64BitRange) {
    EXPECT_EQ(parse("[-9223372036854775808]")->at(0).get<std::int64_t>(), INT64_MIN);
    EXPECT_EQ(parse("[18446744073709551615]")->at(0).get<std::uint64_t>(), UINT64_MAX);
    EXPECT_TRUE(parse("[18446744073709551616]")->at(0).is_number_float());
    EXPECT_EQ(parse("[-0]")->at(0).get<std::int64_t>(), 0);
}

TEST(JSONNumbers, ReadsDecimalsToTheNearestDouble) {
    EXPECT_EQ(parse("[0.1]")->at(0).get<double>(), 0.1);
    EXPECT_EQ(parse("[2.2250738585072011e-308]")->at(0).get<double>(), 2.2250738585072011e-308);
    EXPECT_EQ(parse("[1E+2]")->at(0).get<double>(), 100.0);
    EXPECT_EQ(parse("[100000000000000000000000000000000000000000000000000e-50]")->at(0).get<double>(), 1.0);
}

TEST(JSONNumbers, RefusesNumbersTooLargeForADoubleAndTakesTinyOnesAsZero) {
    EXPECT_FALSE(parse("[1e400]").has_value());
    EXPECT_FALSE(parse("[-1e99999999999999999999]").has_value());
    EXPECT_EQ(parse("[1e-400]")->at(0).get<double>(), 0.0);
    EXPECT_EQ(parse("[1e-99999999999999999999]")->at(0).get<double>(), 0.0);
}
