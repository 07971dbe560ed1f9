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

// Reads until end of file into a buffer that starts at the expected size.
bool readToEnd(int fd, std::size_t expectedSize, Data& data) {
    std::size_t filled = 0;
    data.resize(expectedSize);
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
    }
    data.resize(filled);
    return true;
}

} // namespace

std::optional<Data> dataWithContentsOfFile(const std::string& path) {
    ScopedDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || S_ISDIR(status.st_mode))
        return std::nullopt;
    Data data;
    // One byte beyond the reported size lets the end of file show in the same pass.
    if (!readToEnd(file.get(), static_cast<std::size_t>(status.st_size) + 1, data))
        return std::nullopt;
    return data;
}

} // namespace foundation
