#include "platform/foundation/data.h"
#include "tests/support/temporary_home.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using foundation::dataWithContentsOfFile;

namespace {

std::string patterned(std::size_t size) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        content[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return content;
}

std::optional<std::string> contentOf(const std::filesystem::path& path) {
    auto data = dataWithContentsOfFile(path);
    if (!data)
        return std::nullopt;
    return *data;
}

} // namespace

class FileContents : public TemporaryHome {};

TEST_F(FileContents, ReadsWholeFilesOfAnySize) {
    // Sizes around the usual read buffers and pipe capacity, and one well beyond.
    for (std::size_t size : {1, 4095, 4096, 4097, 8192, 65535, 65536, 65537, 3 * 1024 * 1024 + 17}) {
        auto file = home() / "sized.bin";
        std::string content = patterned(size);
        writeFile(file, content);
        auto read = contentOf(file);
        ASSERT_TRUE(read.has_value()) << size;
        EXPECT_EQ(read->size(), size);
        EXPECT_TRUE(*read == content) << "content differs for size " << size;
    }
}

// Files under /proc report a size of zero yet have content, here several pages of it.
TEST_F(FileContents, ReadsFilesThatUnderstateTheirSize) {
    if (!std::filesystem::exists("/proc/self/smaps"))
        GTEST_SKIP() << "no /proc/self/smaps";
    auto read = contentOf("/proc/self/smaps");
    ASSERT_TRUE(read.has_value());
    EXPECT_GT(read->size(), 3u * 4096u);
    ASSERT_EQ(read->back(), '\n');
    // Each mapping ends with its VmFlags line, so a whole text ends with one.
    auto lastLine = read->substr(read->rfind('\n', read->size() - 2) + 1);
    EXPECT_TRUE(lastLine.starts_with("VmFlags:")) << lastLine;
}

TEST(SpecialFileContents, NeverWaitsOnAPipeOrReadsADeviceForEver) {
    EXPECT_EQ(dataWithContentsOfFile("/nonexistent/missing"), std::nullopt);
    EXPECT_EQ(dataWithContentsOfFile(""), std::nullopt);
    EXPECT_FALSE(foundation::dataWithContentsOfFile("/dev/zero").has_value());
    auto fifo = std::filesystem::temp_directory_path() / ("vantrel-fifo-" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto data = foundation::dataWithContentsOfFile(fifo.string()); // no writer: nothing to wait for
    std::filesystem::remove(fifo);
    EXPECT_TRUE(!data || data->empty());
}
