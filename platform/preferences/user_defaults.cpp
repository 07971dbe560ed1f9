#include "platform/preferences/user_defaults.h"

#include "platform/foundation/file_manager.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace foundation {

namespace {

std::string programName() {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && !executable.filename().empty())
        return executable.filename().string();
    return program_invocation_short_name;
}

bool isUsableDomain(const std::string& domain) {
    return !domain.empty() && domain != "." && domain != ".." && domain.find('/') == std::string::npos;
}

} // namespace

UserDefaults& UserDefaults::standardUserDefaults() {
    static UserDefaults defaults(programName());
    return defaults;
}

UserDefaults::UserDefaults(std::string domain) : domain_(std::move(domain)) {}

std::optional<UserDefaultsStore> UserDefaults::store(std::string* error) const {
    if (!isUsableDomain(domain_)) {
        if (error)
            *error = "\"" + domain_ + "\" cannot name a user defaults domain";
        return std::nullopt;
    }
    auto configuration = userConfigurationDirectory();
    if (!configuration) {
        if (error)
            *error = "no home directory for the user defaults of \"" + domain_ + "\"";
        return std::nullopt;
    }
    return UserDefaultsStore(*configuration + "/" + domain_);
}

std::optional<std::string> UserDefaults::storePath() const {
    auto found = store();
    return found ? std::optional(found->path()) : std::nullopt;
}

void UserDefaults::setVolatileDomain(PropertyListDictionary domain, std::string_view name) {
    volatileDomains_.insert_or_assign(std::string(name), std::move(domain));
}

void UserDefaults::setValue(PropertyListValue value, const std::string& key) {
    pending_.insert_or_assign(key, std::move(value));
}

void UserDefaults::removeValueForKey(const std::string& key) {
    pending_.insert_or_assign(key, std::nullopt);
}

std::optional<PropertyListValue> UserDefaults::valueForKey(const std::string& key) const {
    if (auto arguments = volatileDomains_.find(argumentDomain); arguments != volatileDomains_.end()) {
        if (const PropertyListValue* value = foundation::valueForKey(arguments->second, key))
            return *value;
    }
    if (auto change = pending_.find(key); change != pending_.end())
        return change->second;
    auto found = store();
    auto stored = found ? found->read() : std::nullopt;
    if (!stored)
        return std::nullopt;
    if (const PropertyListValue* value = foundation::valueForKey(*stored, key))
        return *value;
    return std::nullopt;
}

bool UserDefaults::synchronize(std::string* error) {
    if (pending_.empty())
        return true;
    auto found = store(error);
    if (!found || !found->update(pending_, error, [this] { storeWillBeReplaced(); }))
        return false;
    pending_.clear();
    return true;
}

} // namespace foundation
