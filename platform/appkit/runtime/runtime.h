#pragma once

#include "platform/appkit/runtime/object.h"
#include "platform/appkit/runtime/property_value.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <vector>

namespace appkit {

struct PropertyInfo {
    ValueKind kind;
    // Throws nothing; the value has been checked to be of `kind` (and, for objects, of the class).
    std::function<bool(Object&, const PropertyValue&)> set;
    std::function<std::optional<PropertyValue>(const Object&)> get;
};

using Action = std::function<void(Object& target, Object* sender)>;

// What the runtime knows of a class: its name, base, factory, properties settable by key and
// actions by name. Look-ups go up the chain of bases.
class ClassInfo {
public:
    using InstanceTest = bool (*)(const Object&);

    ClassInfo(std::string name, std::string baseName, std::function<std::shared_ptr<Object>()> make,
              InstanceTest isInstance)
        : name_(std::move(name)), baseName_(std::move(baseName)), make_(std::move(make)),
          isInstance_(isInstance) {}

    const std::string& name() const { return name_; }
    // Looked up when asked: classes register in no particular order.
    const ClassInfo* base() const;
    bool isKindOf(const ClassInfo& other) const;
    // Runs the constructor only; the caller runs an initialiser next.
    std::shared_ptr<Object> make() const { return make_ ? make_() : nullptr; }
    // Whether the object is of this class or a subclass, registered or not.
    bool isInstance(const Object& object) const { return isInstance_(object); }

    const PropertyInfo* property(std::string_view key) const;
    const Action* action(std::string_view name) const;

    void addProperty(std::string key, PropertyInfo info) {
        properties_.insert_or_assign(std::move(key), std::move(info));
    }
    void addAction(std::string name, Action action) {
        actions_.insert_or_assign(std::move(name), std::move(action));
    }

private:
    std::string name_;
    std::string baseName_;
    std::function<std::shared_ptr<Object>()> make_;
    InstanceTest isInstance_;
    std::map<std::string, PropertyInfo, std::less<>> properties_;
    std::map<std::string, Action, std::less<>> actions_;
};

template <typename T> class ClassBuilder;

// The class registry. Classes register once, at start-up, through a ClassRegistration, in any
// order: a base may register after its subclasses.
class Runtime {
public:
    static Runtime& shared();

    template <typename T> ClassBuilder<T> registerClass(std::string name, std::string_view baseName = {});

    const ClassInfo* classNamed(std::string_view name) const;
    // The registered class of the object's dynamic type, or its nearest registered base.
    const ClassInfo* classOf(const Object& object) const;

    ClassInfo& add(std::type_index type, std::string name, std::string_view baseName,
                   std::function<std::shared_ptr<Object>()> make, ClassInfo::InstanceTest isInstance);

private:
    const ClassInfo* nearestRegisteredClass(const Object& object) const;

    std::map<std::string, std::unique_ptr<ClassInfo>, std::less<>> classes_;
    std::map<std::type_index, const ClassInfo*> byType_;
    // Unregistered subclasses, found once by a search of the registered classes.
    mutable std::map<std::type_index, const ClassInfo*> nearest_;
};

// Key-value coding and actions by name on any registered object. Failures say what was wrong in
// `error` (the key, the expected kind) and change nothing.
bool setValueForKey(Object& object, std::string_view key, const PropertyValue& value,
                    std::string* error = nullptr);
std::optional<PropertyValue> valueForKey(const Object& object, std::string_view key);
bool respondsToAction(const Object& object, std::string_view action);
// Sends the action to the target; false when the target has no such action.
bool sendAction(std::string_view action, Object& target, Object* sender);

template <typename T> class ClassBuilder {
public:
    explicit ClassBuilder(ClassInfo& info) : info_(info) {}

    template <typename Value, typename Stored>
    ClassBuilder& property(std::string key, Stored (T::*getter)() const, void (T::*setter)(Value)) {
        using Type = std::remove_cvref_t<Value>;
        info_.addProperty(std::move(key),
                          PropertyInfo{PropertyType<Type>::kind,
                                       [setter](Object& object, const PropertyValue& value) {
                                           auto converted = PropertyType<Type>::from(value);
                                           if constexpr (PropertyType<Type>::kind == ValueKind::object) {
                                               if (converted == nullptr &&
                                                   std::get<std::shared_ptr<Object>>(value))
                                                   return false; // an object of another class
                                           }
                                           (static_cast<T&>(object).*setter)(std::move(converted));
                                           return true;
                                       },
                                       [getter](const Object& object) -> std::optional<PropertyValue> {
                                           return PropertyType<std::remove_cvref_t<Stored>>::to(
                                               (static_cast<const T&>(object).*getter)());
                                       }});
        return *this;
    }

    ClassBuilder& action(std::string name, void (T::*method)(Object* sender)) {
        info_.addAction(std::move(name), [method](Object& target, Object* sender) {
            (static_cast<T&>(target).*method)(sender);
        });
        return *this;
    }

private:
    ClassInfo& info_;
};

template <typename T> ClassBuilder<T> Runtime::registerClass(std::string name, std::string_view baseName) {
    static_assert(std::is_base_of_v<Object, T>);
    std::function<std::shared_ptr<Object>()> make;
    if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>)
        make = [] { return std::make_shared<T>(); };
    auto isInstance = [](const Object& object) { return dynamic_cast<const T*>(&object) != nullptr; };
    return ClassBuilder<T>(add(typeid(T), std::move(name), baseName, std::move(make), isInstance));
}

// Registers a class when the program starts: `static ClassRegistration registration([] { ... });`
// in the class's own file. Libraries holding registrations are linked whole.
struct ClassRegistration {
    explicit ClassRegistration(void (*registerClasses)(Runtime&)) { registerClasses(Runtime::shared()); }
};

} // namespace appkit
