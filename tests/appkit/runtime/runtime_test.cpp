#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class Gauge : public Object {
public:
    double level() const { return level_; }
    void setLevel(double level) { level_ = level; }
    std::shared_ptr<Gauge> partner() const { return partner_.lock(); }
    void setPartner(std::shared_ptr<Gauge> partner) { partner_ = partner; }
    void reset(Object* sender) {
        level_ = 0;
        lastSender = sender;
    }
    Object* lastSender = nullptr;

private:
    double level_ = 1;
    std::weak_ptr<Gauge> partner_;
};

class LoudGauge : public Gauge {};

class Stranger : public Object {};

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<Gauge>("TestGauge")
        .property("level", &Gauge::level, &Gauge::setLevel)
        .property("partner", &Gauge::partner, &Gauge::setPartner)
        .action("reset:", &Gauge::reset);
    runtime.registerClass<LoudGauge>("TestLoudGauge", "TestGauge");
    runtime.registerClass<Stranger>("TestStranger");
});

} // namespace

// A subclass made by name finds its properties and actions through its base.
TEST(Runtime, MakesClassesByNameAndFindsInheritedPropertiesAndActions) {
    auto gauge = std::dynamic_pointer_cast<LoudGauge>(Runtime::shared().classNamed("TestLoudGauge")->make());
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(Runtime::shared().classNamed("NoSuchClass"), nullptr);
    EXPECT_TRUE(setValueForKey(*gauge, "level", 2.5));
    EXPECT_EQ(std::get<double>(*valueForKey(*gauge, "level")), 2.5);
    Stranger sender;
    EXPECT_TRUE(sendAction("reset:", *gauge, &sender));
    EXPECT_EQ(gauge->lastSender, &sender);
    EXPECT_FALSE(sendAction("reset:", sender, nullptr));
}

TEST(Runtime, RefusesWrongValuesWithoutChangingAnything) {
    auto gauge = std::make_shared<Gauge>();
    auto partner = std::make_shared<LoudGauge>();
    EXPECT_TRUE(setValueForKey(*gauge, "partner", std::shared_ptr<Object>(partner)));
    std::string error;
    EXPECT_FALSE(setValueForKey(*gauge, "partner", std::shared_ptr<Object>(std::make_shared<Stranger>())));
    EXPECT_FALSE(setValueForKey(*gauge, "level", std::string("high"), &error));
    EXPECT_NE(error.find("number"), std::string::npos);
    EXPECT_EQ(gauge->partner(), partner);
    EXPECT_EQ(gauge->level(), 1);
}

TEST(Runtime, AnUnregisteredSubclassIsKnownAsItsNearestRegisteredClass) {
    class LocalButton : public Button {};
    auto button = std::make_shared<LocalButton>();
    EXPECT_TRUE(setValueForKey(*button, "action", std::string("launch:")));
    EXPECT_EQ(button->action(), "launch:");
}
