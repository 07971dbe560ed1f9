#include "platform/foundation/url.h"

#include <filesystem>
#include <gtest/gtest.h>

using foundation::URL;

TEST(URLParsing, ReadsTheSchemeLowerCasedAndThePath) {
    auto url = URL::URLWithString("HtTpS://example.com/a?b=c");
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->scheme(), "https");
    EXPECT_FALSE(url->isFileURL());
    EXPECT_EQ(url->path(), "/a");
    EXPECT_EQ(url->absoluteString(), "HtTpS://example.com/a?b=c");
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
