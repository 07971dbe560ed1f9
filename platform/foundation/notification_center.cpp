#include "platform/foundation/notification_center.h"

#include <algorithm>

namespace foundation {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::ObserverToken NotificationCenter::addObserverForName(std::string name, const void* object,
                                                                         Block block) {
    ObserverToken token = nextToken_++;
    observers_.push_back({token, std::move(name), object, std::move(block)});
    return token;
}

void NotificationCenter::removeObserver(ObserverToken token) {
    std::erase_if(observers_, [token](const Observer& observer) { return observer.token == token; });
}

void NotificationCenter::postNotificationName(std::string_view name, const void* object) {
    // A block may add or remove observers; those run from the next post on.
    std::vector<Block> matching;
    for (const auto& observer : observers_) {
        if (observer.name == name && (observer.object == nullptr || observer.object == object))
            matching.push_back(observer.block);
    }
    Notification notification{name, object};
    for (const auto& block : matching)
        block(notification);
}

} // namespace foundation
