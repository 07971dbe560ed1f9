#include "platform/preferences/property_list_reader.h"

#include "platform/foundation/scoped_descriptor.h"
#include "platform/preferences/libplist_node.h"
#include "platform/preferences/property_list_guard.h"
#include "platform/preferences/property_list_limits.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

template <typename Value> std::optional<Value> fail(std::string* error, const std::string& message) {
    if (error)
        *error = message;
    return std::nullopt;
}

// The whole file, sized from the file system and refused before reading when too large; a file
// that grows while it is read is refused too.
std::optional<std::string> boundedFileContents(const std::string& path, std::string* error) {
    // Non-blocking, so a pipe put in the file's place is refused rather than waited on.
    ScopedDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return fail<std::string>(error, path + ": " + std::strerror(errno));
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return fail<std::string>(error, path + ": not a regular file");
    if (static_cast<std::uint64_t>(status.st_size) > maximumPropertyListFileSize)
        return fail<std::string>(error, path + ": larger than " +
                                            std::to_string(maximumPropertyListFileSize) + " bytes");
    std::string contents(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t filled = 0;
    while (filled < contents.size()) {
        ssize_t count = ::read(file.get(), contents.data() + filled, contents.size() - filled);
        if (count == 0)
            break;
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return fail<std::string>(error, path + ": " + std::strerror(errno));
        filled += static_cast<std::size_t>(count);
    }
    if (filled == contents.size())
        return fail<std::string>(error, path + ": changed while it was read");
    contents.resize(filled);
    return contents;
}

// libplist 2.2 takes an XML list cut short after its root as whole; every written one ends so.
bool endsWithClosingPlistTag(std::string_view bytes) {
    std::size_t last = bytes.find_last_not_of(" \t\r\n");
    return last != std::string_view::npos && bytes.substr(0, last + 1).ends_with("</plist>");
}

LibplistNode parse(std::string_view bytes, std::string* reason) {
    plist_t root = nullptr;
    if (bytes.starts_with("bplist")) {
        if (!binaryPropertyListIsWithinLimits(bytes, reason))
            return nullptr;
        ::plist_from_bin(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    } else {
        if (!endsWithClosingPlistTag(bytes)) {
            if (reason)
                *reason = "not a property list, or one cut short: it does not end with </plist>";
            return nullptr;
        }
        if (!xmlPropertyListIsWithinLimits(bytes, reason))
            return nullptr;
        ::plist_from_xml(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    }
    // libplist 2.2 returns no error code: a tree, or nothing when the bytes are no property list.
    if (root == nullptr && reason)
        *reason = "not a property list";
    return LibplistNode(root);
}

} // namespace

std::optional<PropertyListValue> propertyListWithData(std::string_view bytes, std::string* error) {
    if (bytes.size() > maximumPropertyListFileSize)
        return fail<PropertyListValue>(error, "larger than " + std::to_string(maximumPropertyListFileSize) +
                                                  " bytes");
    if (bytes.empty())
        return fail<PropertyListValue>(error, "empty");
    auto root = parse(bytes, error);
    if (!root)
        return std::nullopt;
    return propertyListValueFromNode(root.get(), error);
}

std::optional<PropertyListDictionary> dictionaryWithContentsOfFile(const std::string& path,
                                                                   std::string* error) {
    auto contents = boundedFileContents(path, error);
    if (!contents)
        return std::nullopt;
    std::string reason;
    auto value = propertyListWithData(*contents, &reason);
    if (!value)
        return fail<PropertyListDictionary>(error, path + ": " + reason);
    if (!value->dictionary())
        return fail<PropertyListDictionary>(error, path + ": the root is not a dictionary");
    return std::move(*value->dictionary());
}

} // namespace foundation
