#include "platform/appkit/runtime/runtime.h"

#include <iterator>

namespace appkit {

const char* describe(ValueKind kind) {
    switch (kind) {
    case ValueKind::boolean:
        return "a Boolean";
    case ValueKind::number:
        return "a number";
    case ValueKind::string:
        return "a string";
    case ValueKind::color:
        return "a colour";
    case ValueKind::rect:
        return "a rectangle";
    case ValueKind::image:
        return "an image";
    case ValueKind::object:
        return "an object";
    }
    return "a value";
}

ValueKind kindOf(const PropertyValue& value) {
    constexpr ValueKind kinds[] = {ValueKind::boolean, ValueKind::number, ValueKind::string, ValueKind::color,
                                   ValueKind::rect,    ValueKind::image,  ValueKind::object};
    static_assert(std::size(kinds) == std::variant_size_v<PropertyValue>);
    return kinds[value.index()];
}

const ClassInfo* ClassInfo::base() const {
    return baseName_.empty() ? nullptr : Runtime::shared().classNamed(baseName_);
}

bool ClassInfo::isKindOf(const ClassInfo& other) const {
    for (const ClassInfo* info = this; info != nullptr; info = info->base()) {
        if (info == &other)
            return true;
    }
    return false;
}

const PropertyInfo* ClassInfo::property(std::string_view key) const {
    for (const ClassInfo* info = this; info != nullptr; info = info->base()) {
        if (auto found = info->properties_.find(key); found != info->properties_.end())
            return &found->second;
    }
    return nullptr;
}

const Action* ClassInfo::action(std::string_view name) const {
    for (const ClassInfo* info = this; info != nullptr; info = info->base()) {
        if (auto found = info->actions_.find(name); found != info->actions_.end())
            return &found->second;
    }
    return nullptr;
}

Runtime& Runtime::shared() {
    static Runtime runtime;
    return runtime;
}

ClassInfo& Runtime::add(std::type_index type, std::string name, std::string_view baseName,
                        std::function<std::shared_ptr<Object>()> make, ClassInfo::InstanceTest isInstance) {
    auto info = std::make_unique<ClassInfo>(name, std::string(baseName), std::move(make), isInstance);
    ClassInfo& added = *info;
    classes_.insert_or_assign(std::move(name), std::move(info));
    byType_.insert_or_assign(type, &added);
    nearest_.clear();
    return added;
}

const ClassInfo* Runtime::classNamed(std::string_view name) const {
    auto found = classes_.find(name);
    return found == classes_.end() ? nullptr : found->second.get();
}

const ClassInfo* Runtime::classOf(const Object& object) const {
    if (auto found = byType_.find(typeid(object)); found != byType_.end())
        return found->second;
    auto [cached, added] = nearest_.try_emplace(typeid(object), nullptr);
    if (added)
        cached->second = nearestRegisteredClass(object);
    return cached->second;
}

// The most derived registered class the object belongs to.
const ClassInfo* Runtime::nearestRegisteredClass(const Object& object) const {
    const ClassInfo* nearest = nullptr;
    for (const auto& [name, info] : classes_) {
        if (info->isInstance(object) && (nearest == nullptr || info->isKindOf(*nearest)))
            nearest = info.get();
    }
    return nearest;
}

bool setValueForKey(Object& object, std::string_view key, const PropertyValue& value, std::string* error) {
    auto fail = [error](std::string message) {
        if (error != nullptr)
            *error = std::move(message);
        return false;
    };
    const ClassInfo* info = Runtime::shared().classOf(object);
    const PropertyInfo* property = info != nullptr ? info->property(key) : nullptr;
    if (property == nullptr)
        return fail("no property \"" + std::string(key) + "\"" + (info ? " on " + info->name() : ""));
    if (kindOf(value) != property->kind)
        return fail("\"" + std::string(key) + "\" takes " + describe(property->kind) + ", not " +
                    describe(kindOf(value)));
    if (!property->set(object, value))
        return fail("\"" + std::string(key) + "\" takes an object of another class");
    return true;
}

std::optional<PropertyValue> valueForKey(const Object& object, std::string_view key) {
    const ClassInfo* info = Runtime::shared().classOf(object);
    const PropertyInfo* property = info != nullptr ? info->property(key) : nullptr;
    if (property == nullptr)
        return std::nullopt;
    return property->get(object);
}

bool respondsToAction(const Object& object, std::string_view action) {
    const ClassInfo* info = Runtime::shared().classOf(object);
    return info != nullptr && info->action(action) != nullptr;
}

bool sendAction(std::string_view action, Object& target, Object* sender) {
    const ClassInfo* info = Runtime::shared().classOf(target);
    const Action* method = info != nullptr ? info->action(action) : nullptr;
    if (method == nullptr)
        return false;
    auto keepAlive = target.weak_from_this().lock(); // the action may drop the last other reference
    (*method)(target, sender);
    return true;
}

} // namespace appkit
