#include "platform/preferences/user_defaults_store.h"

#include "platform/foundation/console_log.h"
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

PropertyListDictionary applying(const UserDefaultsStore::Changes& changes, PropertyListDictionary stored) {
    for (const auto& [key, value] : changes) {
        if (value)
            stored.insert_or_assign(key, *value);
        else
            stored.erase(key);
    }
    return stored;
}

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Gives a damaged store a second name, the first free one of <store>.corrupt, <store>.corrupt-2, …,
// so it outlives the rename of the fresh store over it. A link never overwrites a name, nor leaves
// a moment without a store.
std::optional<std::string> keepAside(const std::string& path, std::string* error) {
    constexpr int maximumKeptAside = 1000;
    for (int number = 1; number <= maximumKeptAside; ++number) {
        std::string aside = path + ".corrupt" + (number == 1 ? "" : "-" + std::to_string(number));
        if (::link(path.c_str(), aside.c_str()) == 0)
            return aside;
        if (errno != EEXIST) {
            failWithErrno(error, aside);
            return std::nullopt;
        }
    }
    fail(error, path + ": " + std::to_string(maximumKeptAside) + " damaged stores are kept aside already");
    return std::nullopt;
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
    std::string damage;
    auto stored = read(&damage);
    // Damaged content is replaced; anything else in the store's place is not ours to move.
    bool damaged = !stored && isRegularFile(path());
    if (!stored && !damaged)
        return fail(error, damage);
    auto xml = xmlDataWithPropertyList(
        PropertyListValue(applying(changes, stored.value_or(PropertyListDictionary{}))), error);
    if (!xml || !replace(*xml, damaged ? std::optional(damage) : std::nullopt, error, beforeReplacing))
        return false;
    ::fsync(folder.get()); // the rename itself reaches the disk
    return true;
}

bool UserDefaultsStore::replace(const std::string& xml, const std::optional<std::string>& damage,
                                std::string* error, const std::function<void()>& beforeReplacing) const {
    // Under the lock no one else writes this name, so a fixed one serves, and a crashed writer's
    // leftover is simply overwritten.
    std::string temporary = path() + ".new";
    if (!writeFlushed(temporary, xml, error)) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (beforeReplacing)
        beforeReplacing();
    std::optional<std::string> aside;
    if (damage && !(aside = keepAside(path(), error))) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), path().c_str()) != 0) {
        failWithErrno(error, path());
        ::unlink(temporary.c_str());
        return false;
    }
    if (aside)
        consoleLog(*damage + "; kept as " + *aside + " and replaced by a fresh store");
    return true;
}

} // namespace foundation
