#include "host/standard_error_output_stream.h"
#include "tests/host/host_fixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

// Reply frames written into a pipe, read back whole.
class ReplyStreamTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        ASSERT_EQ(::pipe2(fds_, O_CLOEXEC | O_NONBLOCK), 0);
        output_ = std::make_unique<foundation::FileHandle>(fds_[1], true);
        replies_ = std::make_unique<ReplyBatch>(*output_);
    }
    void TearDown() override {
        replies_.reset();
        output_.reset();
        ::close(fds_[0]);
        HostFixture::TearDown();
    }
    std::string written() {
        replies_->flush();
        std::string bytes;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fds_[0], buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, static_cast<std::size_t>(n));
        return bytes;
    }
    void send(std::string_view text) {
        Log log = Log::current(documents().string());
        StandardErrorOutputStream(log, *replies_).write(text);
    }

    std::unique_ptr<foundation::FileHandle> output_;
    std::unique_ptr<ReplyBatch> replies_;

private:
    int fds_[2] = {-1, -1};
};

TEST_F(ReplyStreamTest, FramesTheTextWithItsLittleEndianLength) {
    send("{\"options\": {\"a\":1}}");
    EXPECT_EQ(written(), std::string("\x14\0\0\0", 4) + "{\"options\": {\"a\":1}}");
}

// The text is reserved address space that may not be touched: refusing it must not read it.
TEST_F(ReplyStreamTest, RefusesATextTooLongForItsLengthPrefix) {
    constexpr std::size_t tooLong = (std::size_t{1} << 32) + 1;
    void* space = ::mmap(nullptr, tooLong, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(space, MAP_FAILED);
    std::string_view text(static_cast<const char*>(space), tooLong);
    enableLog();
    Log log = Log::current(documents().string());
    StandardErrorOutputStream(log, *replies_).write(text);
    StandardErrorOutputStream(log, *replies_).writeJoined({"{\"options\": ", text.substr(12), "}"});
    ::munmap(space, tooLong);
    EXPECT_EQ(written(), "");
    EXPECT_EQ(logLines(), (std::vector<std::string>{"Error", "Error"}));
}

TEST_F(ReplyStreamTest, LogsTheReplyAndThePrefixSizeBeforeWriting) {
    enableLog();
    send("{\"options\": 1}");
    EXPECT_EQ(logLines(), (std::vector<std::string>{"Write Data:{\"options\": 1}", "DAta size,4 4 bytes!"}));
}

TEST_F(ReplyStreamTest, WritesPiecesAsOneFrameOfTheirJoinedText) {
    Log log = Log::current(documents().string());
    StandardErrorOutputStream(log, *replies_).writeJoined({"{\"options\": ", "{\"\u00e9\":1}", "", "}"});
    EXPECT_EQ(written(), std::string("\x15\0\0\0", 4) + "{\"options\": {\"\u00e9\":1}}");
}

TEST_F(ReplyStreamTest, LogsPiecesAsTheirJoinedText) {
    enableLog();
    Log log = Log::current(documents().string());
    StandardErrorOutputStream(log, *replies_).writeJoined({"{\"options\": ", "2", "}"});
    EXPECT_EQ(logLines(), (std::vector<std::string>{"Write Data:{\"options\": 2}", "DAta size,4 4 bytes!"}));
    EXPECT_EQ(written(), std::string("\x0E\0\0\0", 4) + "{\"options\": 2}");
}

TEST_F(ReplyStreamTest, WritesManyPiecesToo) {
    Log log = Log::current(documents().string());
    StandardErrorOutputStream(log, *replies_).writeJoined({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"});
    EXPECT_EQ(written(), std::string("\x0A\0\0\0", 4) + "abcdefghij");
}

// Replies gathered into a file, which takes any amount without a reader.
class ReplyBatchTest : public HostFixture {
protected:
    std::string path() const { return (home() / "replies").string(); }
    std::string written() const { return readFile(home() / "replies"); }
};

TEST_F(ReplyBatchTest, WritesRepliesInTheirOrderOnceFlushed) {
    auto output = foundation::FileHandle::forAppendingAtPath(path());
    ReplyBatch batch(*output);
    batch.expectMore(true);
    batch.add({"one", ","});
    batch.add({"two", ","});
    EXPECT_EQ(written(), "");
    batch.flush();
    EXPECT_EQ(written(), "one,two,");
    batch.add({"three", ","});
    // The last of a read goes out at once, with those before it.
    batch.expectMore(false);
    batch.add({"four"});
    EXPECT_EQ(written(), "one,two,three,four");
    batch.add({"!"});
    EXPECT_EQ(written(), "one,two,three,four!");
}

TEST_F(ReplyBatchTest, WritesWhatWaitsBeforeAReplyThatWouldNotFit) {
    auto output = foundation::FileHandle::forAppendingAtPath(path());
    const std::string half(ReplyBatch::capacity / 2 + 1, 'h');
    const std::string large(ReplyBatch::capacity + 1, 'L');
    {
        ReplyBatch batch(*output);
        batch.expectMore(true);
        batch.add({"first;"});
        batch.add({large});
        EXPECT_EQ(written(), "first;" + large);
        batch.add({half});
        batch.add({half});
        EXPECT_EQ(written(), "first;" + large + half);
        batch.add({"last"});
    }
    EXPECT_EQ(written(), "first;" + large + half + half + "last");
}
