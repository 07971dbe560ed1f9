#include "platform/foundation/string_encoding.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

using foundation::debugDescription;
using foundation::isValidUTF8;
using foundation::stringWithUTF8;

TEST(UTF8Validation, AcceptsEveryLengthAtItsBoundsAndRefusesWhatIsNotUTF8) {
    const char* valid[] = {"\xC2\x80",         "\xDF\xBF",         "\xE0\xA0\x80",
                           "\xED\x9F\xBF",     "\xEE\x80\x80",     "\xEF\xBF\xBF",
                           "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "caf\xC3\xA9 \xF0\x9F\x98\x80"};
    for (const char* text : valid)
        EXPECT_TRUE(isValidUTF8(text)) << text;
    const char* invalid[] = {"\xC0\x80",
                             "\xC1\xBF",
                             "\xE0\x9F\xBF",
                             "\xF0\x8F\xBF\xBF", // overlong
                             "\xED\xA0\x80",
                             "\xED\xBF\xBF",
                             "\xED\xA0\xBD\xED\xB8\x80", // surrogates, CESU-8
                             "\xF4\x90\x80\x80",
                             "\xF5\x80\x80\x80",
                             "\xF8\x88\x80\x80\x80",
                             "\xFE",
                             "\xFF", // beyond U+10FFFF
                             "a\xC3",
                             "a\xE2\x82",
                             "a\xF0\x9F\x98",
                             "\xC3"
                             "a",
                             "\xF0\x9F\xC3\xA9", // cut short
                             "\x80",
                             "a\x80"
                             "b",
                             "\xC3\xA9\xA9"}; // stray continuation
    for (const char* text : invalid) {
        EXPECT_FALSE(isValidUTF8(text)) << text;
        EXPECT_EQ(stringWithUTF8(std::string(text)), std::nullopt);
    }
}

// ASCII is skipped in blocks; a fault anywhere in a block, or across two, must still be seen.
TEST(UTF8Validation, ChecksEveryByteAfterLongASCIIRuns) {
    const std::string faults[] = {"\xC0\x80", "\xED\xA0\x80", "\x80", "\xE2\x82", "\xFF"};
    for (std::size_t prefix = 0; prefix <= 140; ++prefix) {
        std::string before(prefix, 'a');
        std::string after(prefix % 71, 'b');
        EXPECT_TRUE(isValidUTF8(before + "\xC3\xA9" + after));
        for (const auto& fault : faults)
            EXPECT_FALSE(isValidUTF8(before + fault + after)) << "after " << prefix << " ASCII bytes";
    }
}

TEST(DebugDescription, EscapesQuotesBackslashesAndControlCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {R"(say "hi" it's a\b)", R"(Optional("say \"hi\" it\'s a\\b"))"},
        {std::string("a\nb\rc\td\0e", 9), R"(Optional("a\nb\rc\td\0e"))"},
        {"\x01\x0B\x1B[0m\x1F\x7F", R"(Optional("\u{01}\u{0B}\u{1B}[0m\u{1F}\u{7F}"))"},
    };
    for (const auto& [text, description] : cases)
        EXPECT_EQ(debugDescription(text), description);
}
