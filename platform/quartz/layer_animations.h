#pragma once

#include "platform/quartz/basic_animation.h"
#include "platform/quartz/layer_value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quartz {

// The animations on one layer, in the order they were added. Where several animate the same key
// path, the last one that shows something at a time wins.
class LayerAnimations {
public:
    // Replaces an animation under the same key. shownValue is what the layer showed for the key path
    // when it was added, the start of an animation without a from value.
    void add(std::string key, const BasicAnimation& animation, std::optional<LayerValue> shownValue);
    // Each remover says whether it removed anything.
    bool remove(std::string_view key);
    bool removeAll();
    // Drops the animations to be removed on completion whose end has passed.
    bool removeFinished(double time);

    std::shared_ptr<const BasicAnimation> find(std::string_view key) const;
    std::vector<std::string> keys() const;
    bool isRunning(double time) const;
    // What the animations show for a key path at a time over the key's model value; none when no
    // animation shows anything then.
    std::optional<LayerValue> valueForKeyPath(std::string_view keyPath, const LayerValue& model,
                                              double time) const;

private:
    struct Entry {
        std::string key;
        std::shared_ptr<const BasicAnimation> animation;
        std::optional<LayerValue> shownValue;
    };

    static std::optional<LayerValue> valueOf(const Entry& entry, const LayerValue& model, double time);

    std::vector<Entry> entries_;
};

} // namespace quartz
