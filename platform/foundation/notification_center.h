#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

struct Notification {
    std::string_view name;
    const void* object; // identity only
};

// Observers run on the thread that posts, in the order they were added.
class NotificationCenter {
public:
    using ObserverToken = std::uint64_t;
    using Block = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // A null object observes the name for every sender.
    ObserverToken addObserverForName(std::string name, const void* object, Block block);
    void removeObserver(ObserverToken token);
    void postNotificationName(std::string_view name, const void* object);

private:
    struct Observer {
        ObserverToken token;
        std::string name;
        const void* object;
        Block block;
    };

    std::vector<Observer> observers_;
    ObserverToken nextToken_ = 1;
};

} // namespace foundation
