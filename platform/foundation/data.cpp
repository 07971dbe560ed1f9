#include "platform/foundation/data.h"

#include "platform/foundation/scoped_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

// Enough for most files in one read; larger ones are sized from the file system.
constexpr std::size_t firstReadSize = 4096;

// Reads until end of file, or false on a read error (a directory gives one).
bool readRest(int fd, Data& data) {
    for (;;) {
        if (data.size() == data.capacity())
            data.reserve(data.capacity() * 2);
        std::size_t filled = data.size();
        data.resize(data.capacity());
        ssize_t count = ::read(fd, data.data() + filled, data.size() - filled);
        data.resize(filled + static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
        if (count == 0)
            return true;
        if (count < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

std::optional<Data> dataWithContentsOfFile(const std::string& path) {
    ScopedDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return std::nullopt;
    // Most files are small: read them through a block on the stack, copying only what came.
    Data data;
    char block[firstReadSize];
    while (data.size() < sizeof block) {
        ssize_t count = ::read(file.get(), block, sizeof block);
        if (count == 0)
            return data;
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        data.append(block, static_cast<std::size_t>(count));
    }
    // Only a regular file says how large it is, and only a regular file surely has an end.
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    // One byte beyond the reported size lets the end of file show in the same pass.
    data.reserve(std::max<std::size_t>(static_cast<std::size_t>(status.st_size) + 1, 2 * data.size()));
    if (!readRest(file.get(), data))
        return std::nullopt;
    return data;
}

} // namespace foundation
