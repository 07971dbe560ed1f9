#include "platform/foundation/notification_center.h"

#include <gtest/gtest.h>
#include <memory>

using foundation::Notification;
using foundation::NotificationCenter;

namespace {
int senderA = 0;
int senderB = 0;
} // namespace

// Observers of the name, with no object or the sender's, run in the order they were added.
TEST(NotificationCenter, DeliversInOrderToObserversOfTheNameAndSender) {
    NotificationCenter center;
    std::string calls;
    auto record = [&](std::string who) {
        return [&calls, who](const Notification& notification) {
            calls += who + std::string(notification.name) + (notification.object == &senderA ? "A " : "- ");
        };
    };
    center.addObserverForName("Ping", nullptr, record("any:"));
    center.addObserverForName("Ping", &senderA, record("a:"));
    center.addObserverForName("Pong", nullptr, record("pong:"));
    auto removed = center.addObserverForName("Ping", nullptr, record("removed:"));
    center.addObserverForName("Ping", nullptr, record("any2:"));
    center.removeObserver(removed);
    center.postNotificationName("Ping", &senderA);
    center.postNotificationName("Ping", &senderB);
    EXPECT_EQ(calls, "any:PingA a:PingA any2:PingA any:Ping- any2:Ping- ");
}

// An observer added during a post runs from the next post; one removed during a post, itself
// or a later one, does not run again, and its captures stay alive while it runs.
TEST(NotificationCenter, ObserversAddedOrRemovedDuringAPost) {
    NotificationCenter center;
    int lateCalls = 0, selfCalls = 0;
    bool laterCalled = false;
    NotificationCenter::ObserverToken self = 0, later = 0;
    auto counter = std::make_shared<int>(0);
    self = center.addObserverForName("Ping", nullptr, [&, counter](const Notification&) {
        center.removeObserver(self);
        center.removeObserver(later);
        center.addObserverForName("Ping", nullptr, [&](const Notification&) { ++lateCalls; });
        selfCalls = ++*counter;
    });
    later = center.addObserverForName("Ping", nullptr, [&](const Notification&) { laterCalled = true; });
    counter.reset();
    center.postNotificationName("Ping", nullptr);
    EXPECT_EQ(lateCalls, 0);
    center.postNotificationName("Ping", nullptr);
    EXPECT_EQ(selfCalls, 1);
    EXPECT_EQ(lateCalls, 1);
    EXPECT_FALSE(laterCalled);
}
