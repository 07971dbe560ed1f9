#pragma once

#include "platform/preferences/user_defaults_store.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Per-user settings of one application domain, kept as an XML property list at
// $XDG_CONFIG_HOME/<domain>/defaults.plist (default ~/.config/<domain>/defaults.plist).
// Changes are held until synchronize() writes them; reads look at the store afresh, so they see
// what other processes have synchronized, and this object's own unsynchronized changes first.
// Ahead of both comes the argument domain, values given for this run only.
class UserDefaults {
public:
    // NSArgumentDomain: the volatile domain that every read searches first.
    static constexpr std::string_view argumentDomain = "NSArgumentDomain";

    // The program's own domain: the file name of its executable (from /proc/self/exe).
    static UserDefaults& standardUserDefaults();

    // A domain of the caller's choice, e.g. for tests. It names a folder, so it must not be empty,
    // "." or "..", nor hold a "/".
    explicit UserDefaults(std::string domain);
    virtual ~UserDefaults() = default;

    const std::string& domain() const { return domain_; }
    // Where the store lives; none when there is no home directory or the domain is unusable.
    std::optional<std::string> storePath() const;

    // Replaces the volatile domain of that name, which lives as long as this object and is never
    // written. Reads search only the argument domain among them, as in the frameworks.
    void setVolatileDomain(PropertyListDictionary domain, std::string_view name);

    void setValue(PropertyListValue value, const std::string& key);
    void removeValueForKey(const std::string& key);
    // None when the key has no value (or the store cannot be read).
    std::optional<PropertyListValue> valueForKey(const std::string& key) const;

    // Writes the changes made since the last synchronize, keeping every other key of the store. On
    // failure the changes stay pending and the message names the file or key at fault.
    bool synchronize(std::string* error = nullptr);

protected:
    // Runs during synchronize once the new store is complete in its temporary file, just before it
    // replaces the old one; tests end the process here to see a crash leave the old store intact.
    virtual void storeWillBeReplaced() {}

private:
    std::optional<UserDefaultsStore> store(std::string* error = nullptr) const;

    std::string domain_;
    std::map<std::string, PropertyListDictionary, std::less<>> volatileDomains_;
    UserDefaultsStore::Changes pending_;
};

} // namespace foundation
