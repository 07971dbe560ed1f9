#include "platform/preferences/user_defaults_store.h"

#include "platform/foundation/scoped_descriptor.h"
#include "platform/preferences/property_list_reader.h"
#include "platform/preferences/property_list_writer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

bool fail(std::string* error, const std::string& message) {
    if (error)
        *error = message;
    return false;
}

bool failWithErrno(std::string* error, const std::string& path) {
    return fail(error, path + ": " + std::strerror(errno));
}

// Like mkdir -p, every folder it creates readable by the user only.
bool createFolder(const std::string& path, std::string* error) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return failWithErrno(error, prefix);
        if (slash == std::string::npos)
            return true;
    }
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

bool writeFlushed(const std::string& path, const std::string& bytes, std::string* error) {
    ScopedDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (file.get() < 0)
        return failWithErrno(error, path);
    if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0 || !file.close())
        return failWithErrno(error, path);
    return true;
}

} // namespace

UserDefaultsStore::UserDefaultsStore(std::string folder) : folder_(std::move(folder)) {}

std::optional<PropertyListDictionary> UserDefaultsStore::read(std::string* error) const {
    struct stat status {};
    if (::stat(path().c_str(), &status) != 0 && errno == ENOENT)
        return PropertyListDictionary{}; // also a dangling link: the next update replaces it
    return dictionaryWithContentsOfFile(path(), error);
}

bool UserDefaultsStore::update(const Changes& changes, std::string* error,
                               const std::function<void()>& beforeReplacing) const {
    if (!createFolder(folder_, error))
        return false;
    ScopedDescriptor folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0 || ::flock(folder.get(), LOCK_EX) != 0)
        return failWithErrno(error, folder_);
    auto stored = read(error);
    if (!stored)
        return false;
    for (const auto& [key, value] : changes) {
        if (value)
            stored->insert_or_assign(key, *value);
        else
            stored->erase(key);
    }
    auto xml = xmlDataWithPropertyList(PropertyListValue(std::move(*stored)), error);
    if (!xml)
        return false;
    // Under the lock no one else writes this name, so a fixed one serves, and a crashed writer's
    // leftover is simply overwritten.
    std::string temporary = path() + ".new";
    if (!writeFlushed(temporary, *xml, error)) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (beforeReplacing)
        beforeReplacing();
    if (::rename(temporary.c_str(), path().c_str()) != 0) {
        failWithErrno(error, path());
        ::unlink(temporary.c_str());
        return false;
    }
    ::fsync(folder.get()); // the rename itself reaches the disk
    return true;
}

} // namespace foundation
