// Feeds arbitrary bytes, cut into arbitrary reads, through the host's framing and request handling,
// once with the log on (messages read into values) and once with it off (messages read for their
// outline only); and checks that the outline of the whole input as one text agrees with its value.
// Input layout: repeated [one byte n][n bytes], each group one read of standard input.
#include "host/console_io.h"
#include "platform/foundation/json.h"
#include "platform/foundation/json_outline.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class StubWorkspace : public foundation::Workspace {
public:
    StubWorkspace() : Workspace("/nonexistent/opener") {}

protected:
    bool runOpener(const foundation::URL&) override { return true; }
};

// A temporary home with a Documents folder, and a working folder with data.json, made once.
std::filesystem::path prepareFolders() {
    char pattern[] = "/tmp/vantrel-fuzz-XXXXXX";
    std::filesystem::path home = ::mkdtemp(pattern);
    std::filesystem::create_directories(home / "Documents");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    int file = ::open((home / "data.json").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const char options[] = "{\"a\":[1,\"\xC3\xA9\"]}\n";
    if (file < 0 || ::write(file, options, sizeof options - 1) < 0)
        std::abort();
    ::close(file);
    return home;
}

// Both readings must see the same request: the host picks one by whether the log is on.
void checkOutlineAgreesWithValue(const std::uint8_t* data, std::size_t size) {
    using foundation::JSONSerialization;
    std::string text(reinterpret_cast<const char*>(data), size);
    auto value = JSONSerialization::JSONObjectWithData(text, JSONSerialization::fragmentsAllowed);
    auto outline = foundation::JSONOutline::readInPlace(text.data(), text.size());
    if (value.has_value() != outline.has_value())
        std::abort();
    if (!value)
        return;
    if (value->is_object() != outline->isObject)
        std::abort();
    bool hasKey = value->is_object() && !value->empty();
    if (hasKey != outline->firstKey.has_value() || (hasKey && value->begin().key() != *outline->firstKey))
        std::abort();
    bool hasString = hasKey && value->begin().value().is_string();
    if (hasString != outline->firstKeyString.has_value() ||
        (hasString && value->begin().value().get_ref<const std::string&>() != *outline->firstKeyString))
        std::abort();
}

void feedReads(const std::uint8_t* data, std::size_t size, const std::filesystem::path& home) {
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
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::filesystem::path home = prepareFolders();
    static int iterations = 0;
    if (++iterations % 1000 == 0)
        std::filesystem::remove(home / "Documents/log.txt"); // keep the log from filling the disk

    checkOutlineAgreesWithValue(data, size);
    std::filesystem::create_directories(home / "Documents/EnableLog");
    feedReads(data, size, home);
    std::filesystem::remove(home / "Documents/EnableLog");
    feedReads(data, size, home);
    return 0;
}
