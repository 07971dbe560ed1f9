#pragma once

#include "platform/quartz/layer.h"
#include "platform/quartz/layer_delegate.h"

namespace appkit {

class Window;

// A layer delegate that may let its layers follow the window's backing scale.
class LayerContentsScaleDelegate : public quartz::LayerDelegate {
public:
    virtual bool shouldInheritContentsScale(quartz::Layer& layer, double scale, Window* window) = 0;
};

} // namespace appkit
