#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class Gauge : public Object {
public:
    double level() const { return level_; }
    void setLevel(double level) {
        level_ = level;
        ++levelSets;
    }
    float ratio() const { return ratio_; }
    void setRatio(float ratio) { ratio_ = ratio; }
    bool isLit() const { return lit_; }
    void setIsLit(bool lit) { lit_ = lit; }
    const std::string& label() const { return label_; }
    void setLabel(const std::string& label) { label_ = label; }
    std::optional<quartz::Color> tint() const { return tint_; }
    void setTint(std::optional<quartz::Color> tint) { tint_ = tint; }
    std::shared_ptr<Gauge> partner() const { return partner_.lock(); }
    void setPartner(std::shared_ptr<Gauge> partner) { partner_ = partner; }

    void reset(Object* sender) {
        level_ = 0;
        lastSender = sender;
    }

    int levelSets = 0;
    Object* lastSender = nullptr;

private:
    double level_ = 1;
    float ratio_ = 0.5f;
    bool lit_ = false;
    std::string label_;
    std::optional<quartz::Color> tint_;
    std::weak_ptr<Gauge> partner_; // weak: a reference that does not own
};

class LoudGauge : public Gauge {
public:
    void shout(Object*) { ++shouts; }
    int shouts = 0;
};

class Stranger : public Object {};

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<Gauge>("TestGauge")
        .property("level", &Gauge::level, &Gauge::setLevel)
        .property("ratio", &Gauge::ratio, &Gauge::setRatio)
        .property("isLit", &Gauge::isLit, &Gauge::setIsLit)
        .property("label", &Gauge::label, &Gauge::setLabel)
        .property("tint", &Gauge::tint, &Gauge::setTint)
        .property("partner", &Gauge::partner, &Gauge::setPartner)
        .action("reset:", &Gauge::reset);
    runtime.registerClass<LoudGauge>("TestLoudGauge", "TestGauge").action("shout:", &LoudGauge::shout);
    runtime.registerClass<Stranger>("TestStranger");
});

} // namespace

TEST(Runtime, MakesRegisteredClassesByName) {
    auto object = Runtime::shared().classNamed("TestLoudGauge")->make();
    ASSERT_NE(std::dynamic_pointer_cast<LoudGauge>(object), nullptr);
    EXPECT_EQ(Runtime::shared().classNamed("NoSuchClass"), nullptr);
    EXPECT_TRUE(
        Runtime::shared().classNamed("TestLoudGauge")->isKindOf(*Runtime::shared().classNamed("TestGauge")));
    EXPECT_FALSE(
        Runtime::shared().classNamed("TestGauge")->isKindOf(*Runtime::shared().classNamed("TestLoudGauge")));
}

TEST(Runtime, SetsPropertiesByKeyWithTypedConversion) {
    auto gauge = std::make_shared<LoudGauge>(); // inherited properties are found through the base
    EXPECT_TRUE(setValueForKey(*gauge, "level", 2.5));
    EXPECT_TRUE(setValueForKey(*gauge, "ratio", 0.25));
    EXPECT_TRUE(setValueForKey(*gauge, "isLit", true));
    EXPECT_TRUE(setValueForKey(*gauge, "label", std::string("Check in")));
    EXPECT_TRUE(setValueForKey(*gauge, "tint", quartz::Color(1, 0, 0)));
    EXPECT_EQ(gauge->level(), 2.5);
    EXPECT_EQ(gauge->ratio(), 0.25f);
    EXPECT_TRUE(gauge->isLit());
    EXPECT_EQ(gauge->label(), "Check in");
    EXPECT_EQ(gauge->tint(), quartz::Color(1, 0, 0));
    EXPECT_EQ(std::get<double>(*valueForKey(*gauge, "level")), 2.5);
}

TEST(Runtime, RefusesUnknownKeysAndWrongTypesWithoutChangingAnything) {
    auto shared = std::make_shared<Gauge>();
    std::string error;
    EXPECT_FALSE(setValueForKey(*shared, "colour", 1.0, &error));
    EXPECT_NE(error.find("colour"), std::string::npos);
    EXPECT_FALSE(setValueForKey(*shared, "level", std::string("high"), &error));
    EXPECT_NE(error.find("number"), std::string::npos);
    EXPECT_FALSE(setValueForKey(*shared, "isLit", 1.0, &error));
    EXPECT_EQ(shared->levelSets, 0);
    EXPECT_FALSE(shared->isLit());
}

TEST(Runtime, ObjectReferencesMustBeOfTheDeclaredClass) {
    auto gauge = std::make_shared<Gauge>();
    auto partner = std::make_shared<LoudGauge>();
    EXPECT_TRUE(setValueForKey(*gauge, "partner", std::shared_ptr<Object>(partner)));
    EXPECT_EQ(gauge->partner(), partner);
    std::string error;
    EXPECT_FALSE(
        setValueForKey(*gauge, "partner", std::shared_ptr<Object>(std::make_shared<Stranger>()), &error));
    EXPECT_EQ(gauge->partner(), partner);
    partner.reset();
    EXPECT_EQ(gauge->partner(), nullptr); // the property does not own its partner
}

TEST(Runtime, SendsActionsByNameUpTheClassChain) {
    auto gauge = std::make_shared<LoudGauge>();
    Stranger sender;
    EXPECT_TRUE(sendAction("reset:", *gauge, &sender));
    EXPECT_EQ(gauge->level(), 0);
    EXPECT_EQ(gauge->lastSender, &sender);
    EXPECT_TRUE(sendAction("shout:", *gauge, nullptr));
    EXPECT_EQ(gauge->shouts, 1);
    EXPECT_FALSE(sendAction("shout:", *std::make_shared<Gauge>(), nullptr));
    EXPECT_FALSE(respondsToAction(Stranger(), "reset:"));
}

TEST(Runtime, AnUnregisteredSubclassIsKnownAsItsNearestRegisteredClass) {
    class LocalButton : public Button {};
    auto button = std::make_shared<LocalButton>();
    const ClassInfo* info = Runtime::shared().classOf(*button);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->name(), "Button");
    EXPECT_TRUE(setValueForKey(*button, "action", std::string("launch:")));
    EXPECT_EQ(button->action(), "launch:");
}
