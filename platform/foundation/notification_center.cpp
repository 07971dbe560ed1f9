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
    // A block may add or remove observers. Tokens grow along observers_, so after each block the
    // next observer is found again by token: observers removed meanwhile are skipped, and those
    // added meanwhile wait for the next post.
    Notification notification{name, object};
    const ObserverToken addedBeforePost = nextToken_;
    auto observes = [&](const Observer& observer) {
        return observer.token < addedBeforePost && observer.name == name &&
               (observer.object == nullptr || observer.object == object);
    };
    ObserverToken lastRun = 0;
    for (;;) {
        auto after = std::upper_bound(
            observers_.begin(), observers_.end(), lastRun,
            [](ObserverToken token, const Observer& observer) { return token < observer.token; });
        auto next = std::find_if(after, observers_.end(), observes);
        if (next == observers_.end())
            return;
        lastRun = next->token;
        Block block = next->block; // the observer may remove itself while it runs
        block(notification);
    }
}

} // namespace foundation
