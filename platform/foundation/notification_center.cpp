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
    // observer that ran is found again by token: observers removed meanwhile are skipped, and
    // those added meanwhile wait for the next post.
    Notification notification{name, object};
    const ObserverToken addedBeforePost = nextToken_;
    for (std::size_t next = 0; next < observers_.size() && observers_[next].token < addedBeforePost;) {
        const Observer& observer = observers_[next];
        if ((observer.object != nullptr && observer.object != object) || observer.name != name) {
            ++next;
            continue;
        }
        ObserverToken ran = observer.token;
        Block block = observer.block; // the observer may remove itself while it runs
        block(notification);
        next = static_cast<std::size_t>(std::upper_bound(observers_.begin(), observers_.end(), ran,
                                                         [](ObserverToken token, const Observer& observer) {
                                                             return token < observer.token;
                                                         }) -
                                        observers_.begin());
    }
}

} // namespace foundation
