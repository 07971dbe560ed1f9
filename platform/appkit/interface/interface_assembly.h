#pragma once

#include "platform/appkit/interface/interface_document.h"
#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/runtime/property_value.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace appkit {

class View;

// Builds the objects of a checked document for an owner, in the order interface files promise:
// create, set properties, add subviews, wire outlets and actions, awake. Every value, reference
// and action is checked before anything is set, and nothing reaches the owner until then.
class InterfaceAssembly {
public:
    InterfaceAssembly(const InterfaceDocument& document, std::filesystem::path resourceFolder,
                      std::shared_ptr<Object> owner)
        : document_(document), resourceFolder_(std::move(resourceFolder)), owner_(std::move(owner)) {}

    // None, with the fault in `error` (without the file name), when anything is wrong.
    std::optional<LoadedInterface> assemble(std::string& error);

private:
    // One value to set by key, and how a refusal names it.
    struct Setting {
        std::shared_ptr<Object> object;
        std::string key;
        PropertyValue value;
        std::string context;
    };
    struct Placement {
        std::shared_ptr<View> superview;
        std::shared_ptr<View> subview;
        std::string context;
    };

    bool createObjects();
    bool readProperties(std::vector<Setting>& settings);
    bool readPlacements(std::vector<Placement>& placements);
    bool readOutlets(std::vector<Setting>& settings);
    bool readActions(std::vector<Setting>& settings);
    bool apply(const std::vector<Setting>& settings);
    bool place(const std::vector<Placement>& placements);

    std::shared_ptr<Object> objectNamed(std::string_view id) const;
    std::string describe(std::string_view id) const;
    std::string describe(const Object* object) const;
    std::pair<std::shared_ptr<Object>, std::shared_ptr<Object>> connectionEnds(const std::string& context,
                                                                               std::string_view from,
                                                                               std::string_view role,
                                                                               std::string_view to);
    std::string noSuchObject(std::string_view id) const;
    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    const InterfaceDocument& document_;
    std::filesystem::path resourceFolder_;
    std::shared_ptr<Object> owner_;
    // The created objects, by document index.
    std::vector<std::shared_ptr<Object>> objects_;
    std::string error_;
};

} // namespace appkit
