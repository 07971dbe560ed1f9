#include "platform/foundation/string_encoding.h"

#include <gtest/gtest.h>

using foundation::isValidUTF8;

// Every sequence length at its bounds; overlong forms, surrogates, beyond U+10FFFF, sequences cut
// short and stray continuation bytes are refused.
TEST(UTF8Validation, AcceptsEveryLengthAtItsBoundsAndRefusesWhatIsNotUTF8) {
    for (const char* text :
         {"\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF",
          "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "caf\xC3\xA9 \xF0\x9F\x98\x80"})
        EXPECT_TRUE(isValidUTF8(text)) << text;
    for (const char* text : {"\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80",
                             "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80",
                             "\xFE", "\xFF", "a\xC3", "a\xE2\x82", "a\xF0\x9F\x98",
                             "\xC3"
                             "a",
                             "\xF0\x9F\xC3\xA9",
                             "a\x80"
                             "b",
                             "\xC3\xA9\xA9"}) {
        EXPECT_FALSE(isValidUTF8(text)) << text;
        EXPECT_EQ(foundation::stringWithUTF8(std::string(text)), std::nullopt);
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
