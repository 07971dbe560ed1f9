#include "platform/quartz/layer_animations.h"

#include <algorithm>

namespace quartz {

void LayerAnimations::add(std::string key, const BasicAnimation& animation,
                          std::optional<LayerValue> shownValue) {
    remove(key);
    entries_.push_back(
        {std::move(key), std::make_shared<const BasicAnimation>(animation), std::move(shownValue)});
}

bool LayerAnimations::remove(std::string_view key) {
    return std::erase_if(entries_, [key](const Entry& entry) { return entry.key == key; }) > 0;
}

bool LayerAnimations::removeAll() {
    bool any = !entries_.empty();
    entries_.clear();
    return any;
}

bool LayerAnimations::removeFinished(double time) {
    return std::erase_if(entries_, [time](const Entry& entry) {
               return entry.animation->removedOnCompletion() && entry.animation->isFinished(time);
           }) > 0;
}

std::shared_ptr<const BasicAnimation> LayerAnimations::find(std::string_view key) const {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [key](const Entry& entry) { return entry.key == key; });
    return found != entries_.end() ? found->animation : nullptr;
}

std::vector<std::string> LayerAnimations::keys() const {
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const Entry& entry : entries_)
        keys.push_back(entry.key);
    return keys;
}

bool LayerAnimations::isRunning(double time) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [time](const Entry& entry) { return entry.animation->isRunning(time); });
}

std::optional<LayerValue> LayerAnimations::valueForKeyPath(std::string_view keyPath, const LayerValue& model,
                                                           double time) const {
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->animation->keyPath() != keyPath)
            continue;
        if (auto value = valueOf(*entry, model, time))
            return value;
    }
    return std::nullopt;
}

std::optional<LayerValue> LayerAnimations::valueOf(const Entry& entry, const LayerValue& model, double time) {
    const BasicAnimation& animation = *entry.animation;
    const std::optional<LayerValue>& from = animation.fromValue() ? animation.fromValue() : entry.shownValue;
    const LayerValue& to = animation.toValue() ? *animation.toValue() : model;
    // Values of another kind than the key's would hand the renderer, say, a colour for an opacity.
    if (!from || !isSameKind(*from, model) || !isSameKind(to, model))
        return std::nullopt;
    return animation.valueAt(time, *from, to);
}

} // namespace quartz
