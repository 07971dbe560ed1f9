#pragma once

namespace quartz {

// Whoever a layer asks about itself; the application kit adds the questions. Layers hold their
// delegate weakly.
class LayerDelegate {
public:
    virtual ~LayerDelegate() = default;
};

} // namespace quartz
