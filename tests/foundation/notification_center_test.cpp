#include "platform/foundation/notification_center.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using foundation::Notification;
using foundation::NotificationCenter;

namespace {

int senderA = 0;
int senderB = 0;

} // namespace

// Observers of the name, with no object or the sender's, run in the order they were added.
TEST(NotificationCenter, DeliversInOrderToObserversOfTheNameAndSender) {
    NotificationCenter center;
    std::vector<std::string> calls;
    auto record = [&](std::string who) {
        return [&calls, who](const Notification& notification) {
            calls.push_back(who + ":" + std::string(notification.name) +
                            (notification.object == &senderA ? "A" : "-"));
        };
    };
    center.addObserverForName("Ping", nullptr, record("any"));
    center.addObserverForName("Ping", &senderA, record("a"));
    center.addObserverForName("Pong", nullptr, record("pong"));
    center.addObserverForName("Ping", nullptr, record("any2"));
    center.postNotificationName("Ping", &senderA);
    center.postNotificationName("Ping", &senderB);
    center.postNotificationName("Ping", nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"any:PingA", "a:PingA", "any2:PingA", "any:Ping-",
                                               "any2:Ping-", "any:Ping-", "any2:Ping-"}));
}

TEST(NotificationCenter, RemovedObserverIsNotCalled) {
    NotificationCenter center;
    int removedCalls = 0;
    int keptCalls = 0;
    auto removed = center.addObserverForName("Ping", nullptr, [&](const Notification&) { ++removedCalls; });
    auto kept = center.addObserverForName("Ping", nullptr, [&](const Notification&) { ++keptCalls; });
    EXPECT_NE(removed, kept);
    center.removeObserver(removed);
    center.postNotificationName("Ping", nullptr);
    EXPECT_EQ(removedCalls, 0);
    EXPECT_EQ(keptCalls, 1);
}

TEST(NotificationCenter, ObserverAddedDuringAPostRunsFromTheNextPost) {
    NotificationCenter center;
    int lateCalls = 0;
    bool added = false;
    center.addObserverForName("Ping", nullptr, [&](const Notification&) {
        if (!added) {
            added = true;
            center.addObserverForName("Ping", nullptr, [&](const Notification&) { ++lateCalls; });
        }
    });
    center.postNotificationName("Ping", nullptr);
    EXPECT_EQ(lateCalls, 0);
    center.postNotificationName("Ping", nullptr);
    EXPECT_EQ(lateCalls, 1);
}

TEST(NotificationCenter, ObserverRemovedDuringAPostIsNotCalled) {
    NotificationCenter center;
    bool laterCalled = false;
    NotificationCenter::ObserverToken later = 0;
    // The later observer's captures may be gone once it is removed, so it must not run.
    center.addObserverForName("Ping", nullptr, [&](const Notification&) { center.removeObserver(later); });
    later = center.addObserverForName("Ping", nullptr, [&](const Notification&) { laterCalled = true; });
    center.postNotificationName("Ping", nullptr);
    EXPECT_FALSE(laterCalled);
}

TEST(NotificationCenter, ObserverMayRemoveItselfDuringAPost) {
    NotificationCenter center;
    int calls = 0;
    NotificationCenter::ObserverToken token = 0;
    // The block's own captures must survive its removal while it runs.
    auto counter = std::make_shared<int>(0);
    token = center.addObserverForName("Ping", nullptr, [&, counter](const Notification&) {
        center.removeObserver(token);
        ++*counter;
        calls = *counter;
    });
    counter.reset();
    center.postNotificationName("Ping", nullptr);
    center.postNotificationName("Ping", nullptr);
    EXPECT_EQ(calls, 1);
}
