#include "host/standard_error_output_stream.h"
#include "tests/support/temporary_home.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

class ReplyStreamTest : public TemporaryHome {};

// What the running host cannot show: a reply too long for its length prefix. The text is reserved
// address space that may not be touched: refusing it must not read it.
TEST_F(ReplyStreamTest, RefusesATextTooLongForItsLengthPrefix) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
    {
        foundation::FileHandle output(fds[1], true);
        ReplyBatch replies(output);
        constexpr std::size_t tooLong = (std::size_t{1} << 32) + 1;
        void* space = ::mmap(nullptr, tooLong, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        ASSERT_NE(space, MAP_FAILED);
        std::string_view text(static_cast<const char*>(space), tooLong);
        std::filesystem::create_directory(documents());
        writeFile(documents() / "EnableLog", "");
        Log log = Log::current(documents().string());
        StandardErrorOutputStream(log, replies).write(text);
        StandardErrorOutputStream(log, replies).writeJoined({"{\"options\": ", text.substr(12), "}"});
        ::munmap(space, tooLong);
        replies.flush();
    }
    char byte;
    EXPECT_EQ(::read(fds[0], &byte, 1), 0);
    ::close(fds[0]);
    EXPECT_EQ(readFile(documents() / "log.txt"), "Error\nError\n");
}
