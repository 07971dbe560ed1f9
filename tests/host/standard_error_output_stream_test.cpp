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

    std::unique_ptr<foundation::FileHandle> output_;
    std::unique_ptr<ReplyBatch> replies_;

private:
    int fds_[2] = {-1, -1};
};

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
