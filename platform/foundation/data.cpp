#include "platform/foundation/data.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

class ScopedDescriptor {
public:
    explicit ScopedDescriptor(int fd) : fd_(fd) {}
    ~ScopedDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ScopedDescriptor(const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Enough for most files in one read; larger ones are sized from the file system.
constexpr std::size_t firstReadSize = 4096;

// Reads what is left into data from `filled` on; false on a read error (a directory gives one).
bool readToEnd(int fd, std::size_t filled, Data& data) {
    for (;;) {
        if (filled == data.size())
            data.resize(data.size() * 2);
        ssize_t count = ::read(fd, data.data() + filled, data.size() - filled);
        if (count == 0)
            break;
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        filled += static_cast<std::size_t>(count);
        if (filled == firstReadSize) {
            // Only a regular file says how large it is, and only a regular file has an end.
            struct stat status {};
            if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
                return false;
            // One byte beyond the reported size lets the end of file show in the same pass.
            if (static_cast<std::size_t>(status.st_size) >= filled)
                data.resize(static_cast<std::size_t>(status.st_size) + 1);
        }
    }
    data.resize(filled);
    return true;
}

} // namespace

std::optional<Data> dataWithContentsOfFile(const std::string& path) {
    ScopedDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return std::nullopt;
    Data data(firstReadSize, 0);
    if (!readToEnd(file.get(), 0, data))
        return std::nullopt;
    return data;
}

} // namespace foundation
