#pragma once

#include "platform/appkit/accessibility/accessible_node.h"

#include <atk/atk.h>
#include <memory>

namespace appkit {

// The accessible object that serves a node on the bus: one per identity, made when first asked
// for and kept for the rest of the process (a window has a handful), unless what it stood for
// went away. Not referenced for the caller.
AtkObject* atkObjectFor(std::unique_ptr<AccessibleNode> node, AtkObject* parent);
// The one already served for an identity; null when none is.
AtkObject* servedAtkObject(const void* identity);

} // namespace appkit
