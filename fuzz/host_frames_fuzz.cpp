// Feeds arbitrary bytes, cut into arbitrary reads, through the host's framing and request handling.
// Input layout: repeated [one byte n][n bytes], each group one read of standard input.
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "host/console_io.h"

namespace {

class StubWorkspace : public foundation::Workspace {
public:
    StubWorkspace() : Workspace("/nonexistent/opener") {}

protected:
    bool runOpener(const foundation::URL&) override { return true; }
};

// A temporary home with logging on, and a working folder with data.json, made once.
std::filesystem::path prepareFolders() {
    char pattern[] = "/tmp/vantrel-fuzz-XXXXXX";
    std::filesystem::path home = ::mkdtemp(pattern);
    std::filesystem::create_directories(home / "Documents/EnableLog");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    int file = ::open((home / "data.json").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const char options[] = "{\"a\":[1,\"\xC3\xA9\"]}\n";
    if (file < 0 || ::write(file, options, sizeof options - 1) < 0)
        std::abort();
    ::close(file);
    return home;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::filesystem::path home = prepareFolders();
    static int iterations = 0;
    if (++iterations % 1000 == 0)
        std::filesystem::remove(home / "Documents/log.txt"); // keep the log from filling the disk

    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        std::abort();
    // The host reads data.json from its working folder; libFuzzer needs its own back afterwards.
    auto previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(home);
    foundation::FileHandle reader(input[0], true);
    foundation::FileHandle output(::open("/dev/null", O_WRONLY | O_CLOEXEC), true);
    StubWorkspace workspace;
    {
        ConsoleIO console(reader, output, workspace);
        std::size_t next = 0;
        while (next < size) {
            std::size_t wanted = data[next++];
            std::size_t length = std::min(wanted, size - next);
            if (length == 0)
                continue; // an empty read would end the input
            if (::write(input[1], data + next, length) != static_cast<ssize_t>(length))
                std::abort();
            console.readMessage(reader);
            next += length;
        }
        ::close(input[1]);
        console.readMessage(reader); // end of input
    }
    std::filesystem::current_path(previousFolder);
    return 0;
}
