#pragma once

namespace quartz {

// Whoever shows a layer tree, such as a window: told of every change to the model of a layer in
// the tree, so that it draws again.
class LayerHost {
public:
    virtual void layerTreeDidChange() = 0;

protected:
    ~LayerHost() = default;
};

} // namespace quartz
