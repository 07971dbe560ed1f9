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

TEST(NotificationCenter, DeliversNameAndObjectToObservers) {
    NotificationCenter center;
    std::vector<std::string> names;
    std::vector<const void*> objects;
    center.addObserverForName("Ping", nullptr, [&](const Notification& notification) {
        names.emplace_back(notification.name);
        objects.push_back(notification.object);
    });
    center.postNotificationName("Ping", &senderA);
    EXPECT_EQ(names, std::vector<std::string>{"Ping"});
    EXPECT_EQ(objects, std::vector<const void*>{&senderA});
}

TEST(NotificationCenter, ObjectFilterObservesOnlyThatSender) {
    NotificationCenter center;
    std::vector<const void*> senders;
    center.addObserverForName(
        "Ping", &senderA, [&](const Notification& notification) { senders.push_back(notification.object); });
    center.postNotificationName("Ping", &senderB);
    center.postNotificationName("Ping", nullptr);
    center.postNotificationName("Ping", &senderA);
    EXPECT_EQ(senders, std::vector<const void*>{&senderA});
}

TEST(NotificationCenter, RunsObserversInTheOrderAdded) {
    NotificationCenter center;
    std::vector<int> order;
    for (int i = 0; i < 4; ++i)
        center.addObserverForName("Ping", i % 2 ? &senderA : nullptr,
                                  [&order, i](const Notification&) { order.push_back(i); });
    center.postNotificationName("Ping", &senderA);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
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
