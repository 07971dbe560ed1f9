#include "platform/foundation/url.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using foundation::URL;

TEST(URLParsing, ReadsSchemeAndPathOfAnAbsoluteURL) {
    auto url = URL::URLWithString("https://example.com/a?b=c");
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->scheme(), "https");
    EXPECT_TRUE(url->hasScheme());
    EXPECT_FALSE(url->isFileURL());
    EXPECT_EQ(url->path(), "/a");
    EXPECT_EQ(url->absoluteString(), "https://example.com/a?b=c");
}

TEST(URLParsing, LowerCasesTheScheme) {
    auto url = URL::URLWithString("HtTpS://example.com/");
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->scheme(), "https");
    auto file = URL::URLWithString("FILE:///tmp/x");
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(file->isFileURL());
}

TEST(URLParsing, FindsNoSchemeInRelativeReferences) {
    for (const char* text : {"example.com/x", "/absolute/path", "//host/path", "?query", "#fragment"}) {
        auto url = URL::URLWithString(text);
        ASSERT_TRUE(url.has_value()) << text;
        EXPECT_FALSE(url->hasScheme()) << text;
        EXPECT_EQ(url->scheme(), "") << text;
    }
}

TEST(URLParsing, RefusesStrayPercentSigns) {
    EXPECT_EQ(URL::URLWithString("%"), std::nullopt);
    EXPECT_EQ(URL::URLWithString("https://example.com/100%"), std::nullopt);
    EXPECT_EQ(URL::URLWithString("https://example.com/%4"), std::nullopt);
    EXPECT_EQ(URL::URLWithString("https://example.com/%zz"), std::nullopt);
}

TEST(FileURL, PercentEncodesTheText) {
    EXPECT_EQ(URL::fileURLWithPath("/tmp/a b/caf\xC3\xA9").absoluteString(), "file:///tmp/a%20b/caf%C3%A9");
    EXPECT_EQ(URL::fileURLWithPath("/plain/path-1_2.~x").absoluteString(), "file:///plain/path-1_2.~x");
}

TEST(FileURL, TextParsesBackToTheSamePath) {
    for (std::string path : {"/tmp/a b", "/tmp/caf\xC3\xA9", "/tmp/100%", "/tmp/x#y", "/tmp/x?y",
                             "/tmp/a;b&c=$d'e", "/tmp/[x]{y}<z>\"q\"\\", "/tmp/tab\there"}) {
        auto url = URL::fileURLWithPath(path);
        auto parsed = URL::URLWithString(url.absoluteString());
        ASSERT_TRUE(parsed.has_value()) << url.absoluteString();
        EXPECT_TRUE(parsed->isFileURL());
        EXPECT_EQ(parsed->path(), path);
        EXPECT_EQ(*parsed, url);
    }
}

TEST(FileURL, TakesARelativePathFromTheWorkingDirectory) {
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path("/tmp");
    auto url = foundation::URL::fileURLWithPath("some dir/file");
    std::filesystem::current_path(previous);
    EXPECT_EQ(url.path(), "/tmp/some dir/file");
    EXPECT_EQ(url.absoluteString(), "file:///tmp/some%20dir/file");
}
