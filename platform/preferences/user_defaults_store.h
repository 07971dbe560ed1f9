#pragma once

#include "platform/preferences/property_list_value.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace foundation {

// One domain's user defaults on disk: an XML property list whose root is a dictionary, at
// <folder>/defaults.plist. Nothing is cached: every read looks at the file.
class UserDefaultsStore {
public:
    // A key with no value is removed.
    using Changes = std::map<std::string, std::optional<PropertyListValue>, std::less<>>;

    explicit UserDefaultsStore(std::string folder);

    const std::string& folder() const { return folder_; }
    std::string path() const { return folder_ + "/defaults.plist"; }

    // Everything stored; empty when there is no store yet, none when the store is damaged.
    std::optional<PropertyListDictionary> read(std::string* error = nullptr) const;

    // Applies the changes to what is stored now and writes the result whole: to a temporary file in
    // the same folder, flushed to disk, then renamed over the store, so a crash at any point leaves
    // either the old store or the new one. Processes that update the same store take turns (an
    // advisory lock on the folder), so none loses another's keys. The folder is created (mode 0700)
    // when missing. A store that cannot be read (not a property list, cut short, its root no
    // dictionary) is kept beside, as defaults.plist.corrupt (then .corrupt-2, …, never overwriting
    // one kept before), and replaced by a fresh one holding the changes alone, which is said on
    // standard error. `beforeReplacing` runs once the new contents are safely in the temporary file.
    bool update(const Changes& changes, std::string* error = nullptr,
                const std::function<void()>& beforeReplacing = {}) const;

private:
    // Puts the new contents in the store's place, keeping a damaged store aside.
    bool replace(const std::string& xml, const std::optional<std::string>& damage, std::string* error,
                 const std::function<void()>& beforeReplacing) const;

    std::string folder_;
};

} // namespace foundation
