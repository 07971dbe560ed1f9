#include "platform/foundation/data.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using foundation::dataWithContentsOfFile;

class FileContents : public TemporaryHome {};

TEST_F(FileContents, ReadsWholeFilesOfAnySize) {
    for (std::size_t size : {1, 4096, 65537, 3 * 1024 * 1024 + 17}) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            content[i] = static_cast<char>(i * 7 + i / 251);
        writeFile(home() / "sized.bin", content);
        EXPECT_TRUE(dataWithContentsOfFile(home() / "sized.bin") == content) << size;
    }
    // Files under /proc report a size of zero yet have pages of content, each mapping ending
    // with its VmFlags line.
    auto smaps = dataWithContentsOfFile("/proc/self/smaps");
    ASSERT_TRUE(smaps.has_value());
    const std::string& text = *smaps;
    EXPECT_GT(text.size(), 3u * 4096u);
    EXPECT_TRUE(text.substr(text.rfind('\n', text.size() - 2) + 1).starts_with("VmFlags:")) << text;
}

// Missing paths, a device without end and a FIFO without a writer: none may be waited on.
TEST_F(FileContents, NeverWaitsOnAPipeOrReadsADeviceForEver) {
    EXPECT_EQ(dataWithContentsOfFile(home() / "missing"), std::nullopt);
    EXPECT_EQ(dataWithContentsOfFile(""), std::nullopt);
    EXPECT_EQ(dataWithContentsOfFile("/dev/zero"), std::nullopt);
    ASSERT_EQ(::mkfifo((home() / "fifo").c_str(), 0600), 0);
    auto data = dataWithContentsOfFile(home() / "fifo");
    EXPECT_TRUE(!data || data->empty());
}
