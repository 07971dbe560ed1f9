#include "platform/foundation/string_encoding.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>

using foundation::debugDescription;
using foundation::isValidUTF8;
using foundation::stringWithUTF8;

namespace {

std::string bytes(std::initializer_list<unsigned> values) {
    std::string text;
    for (unsigned value : values)
        text += static_cast<char>(value);
    return text;
}

std::optional<std::string> decode(const std::string& text) {
    return stringWithUTF8(std::string(text));
}

} // namespace

TEST(UTF8Validation, AcceptsWellFormedSequencesOfEveryLength) {
    EXPECT_TRUE(isValidUTF8("plain ASCII"));
    EXPECT_TRUE(isValidUTF8(bytes({0xC2, 0x80})));             // U+0080, smallest two-byte
    EXPECT_TRUE(isValidUTF8(bytes({0xDF, 0xBF})));             // U+07FF
    EXPECT_TRUE(isValidUTF8(bytes({0xE0, 0xA0, 0x80})));       // U+0800, smallest three-byte
    EXPECT_TRUE(isValidUTF8(bytes({0xED, 0x9F, 0xBF})));       // U+D7FF, just below the surrogates
    EXPECT_TRUE(isValidUTF8(bytes({0xEE, 0x80, 0x80})));       // U+E000, just above them
    EXPECT_TRUE(isValidUTF8(bytes({0xEF, 0xBF, 0xBF})));       // U+FFFF
    EXPECT_TRUE(isValidUTF8(bytes({0xF0, 0x90, 0x80, 0x80}))); // U+10000, smallest four-byte
    EXPECT_TRUE(isValidUTF8(bytes({0xF0, 0x9F, 0x98, 0x80}))); // U+1F600
    EXPECT_TRUE(isValidUTF8(bytes({0xF4, 0x8F, 0xBF, 0xBF}))); // U+10FFFF, the last code point
    EXPECT_TRUE(isValidUTF8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 mixed"));
}

// ASCII is skipped in blocks; a fault anywhere in a block, or across two, must still be seen.
TEST(UTF8Validation, ChecksEveryByteAfterLongASCIIRuns) {
    const std::string faults[] = {bytes({0xC0, 0x80}), bytes({0xED, 0xA0, 0x80}), bytes({0x80}),
                                  bytes({0xE2, 0x82}), bytes({0xFF})};
    for (std::size_t prefix = 0; prefix <= 140; ++prefix) {
        std::string before(prefix, 'a');
        std::string after(prefix % 71, 'b');
        EXPECT_TRUE(isValidUTF8(before + "\xC3\xA9" + after));
        for (const auto& fault : faults)
            EXPECT_FALSE(isValidUTF8(before + fault + after)) << "after " << prefix << " ASCII bytes";
    }
}

TEST(UTF8Validation, RejectsOverlongEncodings) {
    EXPECT_FALSE(isValidUTF8(bytes({0xC0, 0x80})));
    EXPECT_FALSE(isValidUTF8(bytes({0xC1, 0xBF})));
    EXPECT_FALSE(isValidUTF8(bytes({0xE0, 0x80, 0x80})));
    EXPECT_FALSE(isValidUTF8(bytes({0xE0, 0x9F, 0xBF})));
    EXPECT_FALSE(isValidUTF8(bytes({0xF0, 0x80, 0x80, 0x80})));
    EXPECT_FALSE(isValidUTF8(bytes({0xF0, 0x8F, 0xBF, 0xBF})));
}

TEST(UTF8Validation, RejectsSurrogateCodePoints) {
    EXPECT_FALSE(isValidUTF8(bytes({0xED, 0xA0, 0x80}))); // U+D800
    EXPECT_FALSE(isValidUTF8(bytes({0xED, 0xBF, 0xBF}))); // U+DFFF
    // A surrogate pair encoded as two three-byte sequences (CESU-8) is not UTF-8 either.
    EXPECT_FALSE(isValidUTF8(bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80})));
}

TEST(UTF8Validation, RejectsCodePointsAboveUnicodeRange) {
    EXPECT_FALSE(isValidUTF8(bytes({0xF4, 0x90, 0x80, 0x80})));
    EXPECT_FALSE(isValidUTF8(bytes({0xF5, 0x80, 0x80, 0x80})));
    EXPECT_FALSE(isValidUTF8(bytes({0xF7, 0xBF, 0xBF, 0xBF})));
    EXPECT_FALSE(isValidUTF8(bytes({0xF8, 0x88, 0x80, 0x80, 0x80})));
    EXPECT_FALSE(isValidUTF8(bytes({0xFE})));
    EXPECT_FALSE(isValidUTF8(bytes({0xFF})));
}

TEST(UTF8Validation, RejectsSequencesTruncatedAtTheEnd) {
    EXPECT_FALSE(isValidUTF8(bytes({'a', 0xC3})));
    EXPECT_FALSE(isValidUTF8(bytes({'a', 0xE2, 0x82})));
    EXPECT_FALSE(isValidUTF8(bytes({'a', 0xF0, 0x9F, 0x98})));
    EXPECT_FALSE(isValidUTF8(bytes({0xF0})));
}

TEST(UTF8Validation, RejectsSequencesInterruptedBeforeTheirEnd) {
    EXPECT_FALSE(isValidUTF8(bytes({0xC3, 'a'})));
    EXPECT_FALSE(isValidUTF8(bytes({0xE2, 0x82, 'a'})));
    EXPECT_FALSE(isValidUTF8(bytes({0xF0, 0x9F, 0x98, 'a'})));
    EXPECT_FALSE(isValidUTF8(bytes({0xF0, 0x9F, 0xC3, 0xA9})));
}

TEST(UTF8Validation, RejectsStrayContinuationBytes) {
    EXPECT_FALSE(isValidUTF8(bytes({0x80})));
    EXPECT_FALSE(isValidUTF8(bytes({0xBF})));
    EXPECT_FALSE(isValidUTF8(bytes({'a', 0x80, 'b'})));
    // One continuation byte too many after a complete sequence.
    EXPECT_FALSE(isValidUTF8(bytes({0xC3, 0xA9, 0xA9})));
}

TEST(StringWithUTF8, GivesNoneForInvalidInput) {
    EXPECT_EQ(decode(bytes({'o', 'k', 0xC0, 0x80})), std::nullopt);
    EXPECT_EQ(decode(bytes({0xED, 0xA0, 0x80})), std::nullopt);
    EXPECT_EQ(decode(bytes({'a', 0xE2, 0x82})), std::nullopt);
}

TEST(DebugDescription, EscapesQuotesAndBackslashes) {
    EXPECT_EQ(debugDescription(std::string(R"(say "hi" it's a\b)")), R"(Optional("say \"hi\" it\'s a\\b"))");
}

TEST(DebugDescription, EscapesCommonControlCharactersByName) {
    EXPECT_EQ(debugDescription(std::string("a\nb\rc\td", 7)), R"(Optional("a\nb\rc\td"))");
    EXPECT_EQ(debugDescription(std::string("x\0y", 3)), R"(Optional("x\0y"))");
}

TEST(DebugDescription, EscapesOtherControlCharactersAsTwoUppercaseHexDigits) {
    EXPECT_EQ(debugDescription(std::string("\x01")), R"(Optional("\u{01}"))");
    EXPECT_EQ(debugDescription(std::string("\x0B\x0C")), R"(Optional("\u{0B}\u{0C}"))");
    EXPECT_EQ(debugDescription(std::string("\x1B[0m")), R"(Optional("\u{1B}[0m"))");
    EXPECT_EQ(debugDescription(std::string("\x1F")), R"(Optional("\u{1F}"))");
    EXPECT_EQ(debugDescription(std::string("\x7F")), R"(Optional("\u{7F}"))");
}
