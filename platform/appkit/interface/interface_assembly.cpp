#include "platform/appkit/interface/interface_assembly.h"

#include "platform/appkit/interface/coder.h"
#include "platform/appkit/interface/interface_values.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/view.h"

#include <utility>

namespace appkit {

namespace {

std::string quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

const PropertyInfo* propertyOf(const Object& object, std::string_view key) {
    const ClassInfo* info = Runtime::shared().classOf(object);
    return info != nullptr ? info->property(key) : nullptr;
}

bool isInside(const View& view, const View& possibleAncestor) {
    for (auto above = view.superview(); above; above = above->superview()) {
        if (above.get() == &possibleAncestor)
            return true;
    }
    return false;
}

// The runtime tells whether an object property takes an object's class only by setting it, so
// what a run of settings wired to the owner is undone when a later one is refused.
class OwnerJournal {
public:
    explicit OwnerJournal(const std::shared_ptr<Object>& owner) : owner_(owner) {}

    void willSet(const Object& object, const std::string& key) {
        if (owner_ && &object == owner_.get())
            previous_.emplace_back(key, valueForKey(*owner_, key));
    }
    void undo() {
        for (auto entry = previous_.rbegin(); entry != previous_.rend(); ++entry) {
            if (entry->second)
                setValueForKey(*owner_, entry->first, *entry->second);
        }
        previous_.clear();
    }

private:
    const std::shared_ptr<Object>& owner_;
    std::vector<std::pair<std::string, std::optional<PropertyValue>>> previous_;
};

} // namespace

std::optional<LoadedInterface> InterfaceAssembly::assemble(std::string& error) {
    std::vector<Setting> properties;
    std::vector<Placement> placements;
    std::vector<Setting> connections;
    bool assembled = createObjects() && readProperties(properties) && readPlacements(placements) &&
                     readOutlets(connections) && readActions(connections) && apply(properties) &&
                     place(placements) && apply(connections);
    if (!assembled) {
        error = std::move(error_);
        return std::nullopt;
    }
    LoadedInterface loaded;
    for (std::size_t index = 0; index < objects_.size(); ++index) {
        loaded.topLevelObjects.push_back(objects_[index]);
        loaded.ids.push_back(document_.objects[index].id);
    }
    for (const auto& object : loaded.topLevelObjects)
        object->awakeFromNib();
    return loaded;
}

bool InterfaceAssembly::createObjects() {
    static const foundation::JSONValue noAttributes = foundation::JSONValue::object();
    objects_.reserve(document_.objects.size());
    for (const InterfaceObjectDescription& description : document_.objects) {
        std::string context = describeObject(description.id, description.className) + ": ";
        auto object = description.classInfo->make();
        if (!object)
            return fail(context + "the class cannot be created by name");
        Coder coder(description.attributes != nullptr ? *description.attributes : noAttributes,
                    resourceFolder_);
        bool initialised = object->initWithCoder(coder);
        if (coder.error())
            return fail(context + "archived attribute " + *coder.error());
        if (!initialised)
            return fail(context + "its archived attributes were refused");
        objects_.push_back(std::move(object));
    }
    return true;
}

bool InterfaceAssembly::readProperties(std::vector<Setting>& settings) {
    InterfaceValueReader reader(resourceFolder_, [this](std::string_view id) { return objectNamed(id); });
    for (std::size_t index = 0; index < objects_.size(); ++index) {
        const InterfaceObjectDescription& description = document_.objects[index];
        if (description.properties == nullptr)
            continue;
        for (const auto& [key, json] : description.properties->items()) {
            std::string context =
                describeObject(description.id, description.className) + ": property " + quote(key);
            const PropertyInfo* property = propertyOf(*objects_[index], key);
            if (property == nullptr)
                return fail(context + ": no such property");
            std::string fault;
            auto value = reader.read(json, property->kind, fault);
            if (!value)
                return fail(context + ": " + fault);
            settings.push_back({objects_[index], key, std::move(*value), std::move(context)});
        }
    }
    return true;
}

bool InterfaceAssembly::readPlacements(std::vector<Placement>& placements) {
    for (std::size_t index = 0; index < objects_.size(); ++index) {
        const InterfaceObjectDescription& description = document_.objects[index];
        if (description.subviews.empty())
            continue;
        std::string context = describeObject(description.id, description.className);
        auto superview = std::dynamic_pointer_cast<View>(objects_[index]);
        if (!superview)
            return fail(context + ": has subviews but is not a view");
        for (const std::string& id : description.subviews) {
            auto subview = std::dynamic_pointer_cast<View>(objectNamed(id));
            if (!subview)
                return fail(context + ": subview " + describe(id) + " is not a view");
            placements.push_back({superview, std::move(subview), context + ": subview " + quote(id)});
        }
    }
    return true;
}

bool InterfaceAssembly::readOutlets(std::vector<Setting>& settings) {
    for (const InterfaceOutlet& outlet : document_.outlets) {
        std::string context = "outlet " + quote(outlet.key) + " of " + describe(outlet.object);
        auto [object, destination] =
            connectionEnds(context, outlet.object, "destination", outlet.destination);
        if (!object)
            return false;
        const PropertyInfo* property = propertyOf(*object, outlet.key);
        if (property == nullptr)
            return fail(context + ": no such property");
        if (property->kind != ValueKind::object)
            return fail(context + ": takes " + appkit::describe(property->kind) + ", not an object");
        settings.push_back({std::move(object), outlet.key, std::move(destination), std::move(context)});
    }
    return true;
}

bool InterfaceAssembly::readActions(std::vector<Setting>& settings) {
    for (const InterfaceAction& action : document_.actions) {
        std::string context = "action " + quote(action.action) + " of " + describe(action.object);
        auto [object, target] = connectionEnds(context, action.object, "target", action.target);
        if (!object)
            return false;
        const PropertyInfo* targetProperty = propertyOf(*object, "target");
        const PropertyInfo* actionProperty = propertyOf(*object, "action");
        if (targetProperty == nullptr || targetProperty->kind != ValueKind::object ||
            actionProperty == nullptr || actionProperty->kind != ValueKind::string)
            return fail(context + ": the object has no \"target\" and \"action\" properties to send it");
        if (!respondsToAction(*target, action.action))
            return fail(context + ": the target " + describe(action.target) + " does not respond to it");
        settings.push_back({object, "target", std::move(target), context});
        settings.push_back({std::move(object), "action", action.action, std::move(context)});
    }
    return true;
}

bool InterfaceAssembly::apply(const std::vector<Setting>& settings) {
    OwnerJournal journal(owner_);
    for (const Setting& setting : settings) {
        journal.willSet(*setting.object, setting.key);
        std::string fault;
        if (!setValueForKey(*setting.object, setting.key, setting.value, &fault)) {
            journal.undo();
            // Kinds were checked before: what is refused now is an object of another class.
            if (const auto* object = std::get_if<std::shared_ptr<Object>>(&setting.value))
                return fail(setting.context + ": does not take " + describe(object->get()) +
                            ", an object of another class");
            return fail(setting.context + ": " + fault);
        }
    }
    return true;
}

bool InterfaceAssembly::place(const std::vector<Placement>& placements) {
    // A setter may already have put a view somewhere: checked now that all properties are set.
    for (const Placement& placement : placements) {
        if (placement.subview->superview())
            return fail(placement.context + ": already has a superview");
    }
    for (const Placement& placement : placements) {
        if (placement.subview == placement.superview || isInside(*placement.superview, *placement.subview))
            return fail(placement.context + ": a view cannot be inside itself");
        placement.superview->addSubview(placement.subview);
    }
    return true;
}

std::shared_ptr<Object> InterfaceAssembly::objectNamed(std::string_view id) const {
    if (id == InterfaceDocument::ownerId)
        return owner_;
    auto index = document_.indexOf(id);
    return index ? objects_[*index] : nullptr;
}

std::string InterfaceAssembly::describe(std::string_view id) const {
    if (id == InterfaceDocument::ownerId) {
        const ClassInfo* info = owner_ ? Runtime::shared().classOf(*owner_) : nullptr;
        return describeObject(id, info != nullptr ? info->name()
                                  : owner_        ? "unregistered class"
                                                  : "none given");
    }
    auto index = document_.indexOf(id);
    return index ? describeObject(id, document_.objects[*index].className) : "object " + quote(id);
}

std::string InterfaceAssembly::describe(const Object* object) const {
    if (object != nullptr && object == owner_.get())
        return describe(InterfaceDocument::ownerId);
    for (std::size_t index = 0; index < objects_.size(); ++index) {
        if (objects_[index].get() == object)
            return describe(document_.objects[index].id);
    }
    return "nothing";
}

// Both objects a connection joins, or none after saying which is missing.
std::pair<std::shared_ptr<Object>, std::shared_ptr<Object>>
InterfaceAssembly::connectionEnds(const std::string& context, std::string_view from, std::string_view role,
                                  std::string_view to) {
    auto source = objectNamed(from);
    if (!source) {
        fail(context + ": " + noSuchObject(from));
        return {};
    }
    auto other = objectNamed(to);
    if (!other) {
        fail(context + ": " + std::string(role) + " " + quote(to) + ": " + noSuchObject(to));
        return {};
    }
    return {std::move(source), std::move(other)};
}

std::string InterfaceAssembly::noSuchObject(std::string_view id) const {
    return id == InterfaceDocument::ownerId ? "the file is loaded without an owner" : "no such object";
}

} // namespace appkit
