#pragma once

#include <memory>

namespace appkit {

class Coder;

// The root of what interface files create and wire. Objects are shared_ptr-owned; creation is
// two-phase (the constructor, then an initialiser), so an initialiser may call overridden
// operations of a subclass whose members are already in place.
class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;

    // Reads the object's archived attributes from its interface-file description. Returning false
    // refuses the object, and the file loads nothing.
    virtual bool initWithCoder(const Coder&) { return true; }
    // Sent to every object of an interface file once all of them are created, set and connected.
    virtual void awakeFromNib() {}
};

} // namespace appkit
