#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

class Gauge : public Object {
public:
    double level() const { return level_; }
    void setLevel(double level) { level_ = level; }
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

// Inherited properties and actions are found through the base; an unknown name finds nothing.
TEST(Runtime, MakesClassesByNameAndSendsActionsUpTheClassChain) {
    auto gauge = std::dynamic_pointer_cast<LoudGauge>(Runtime::shared().classNamed("TestLoudGauge")->make());
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(Runtime::shared().classNamed("NoSuchClass"), nullptr);
    Stranger sender;
    EXPECT_TRUE(sendAction("reset:", *gauge, &sender));
    EXPECT_EQ(gauge->lastSender, &sender);
    EXPECT_TRUE(sendAction("shout:", *gauge, nullptr));
    EXPECT_EQ(gauge->shouts, 1);
    EXPECT_FALSE(sendAction("shout:", *std::make_shared<Gauge>(), nullptr));
}

TEST(Runtime, SetsPropertiesByKeyWithTypedConversionAndRefusesWrongOnesUnchanged) {
    auto gauge = std::make_shared<LoudGauge>();
    EXPECT_TRUE(setValueForKey(*gauge, "level", 2.5));
    EXPECT_TRUE(setValueForKey(*gauge, "ratio", 0.25));
    EXPECT_TRUE(setValueForKey(*gauge, "isLit", true));
    EXPECT_TRUE(setValueForKey(*gauge, "label", std::string("Check in")));
    EXPECT_TRUE(setValueForKey(*gauge, "tint", quartz::Color(1, 0, 0)));
    EXPECT_EQ(gauge->ratio(), 0.25f);
    EXPECT_EQ(gauge->label(), "Check in");
    EXPECT_EQ(gauge->tint(), quartz::Color(1, 0, 0));
    EXPECT_EQ(std::get<double>(*valueForKey(*gauge, "level")), 2.5);
    std::string error;
    EXPECT_FALSE(setValueForKey(*gauge, "colour", 1.0, &error));
    EXPECT_NE(error.find("colour"), std::string::npos);
    EXPECT_FALSE(setValueForKey(*gauge, "level", std::string("high"), &error));
    EXPECT_NE(error.find("number"), std::string::npos);
    EXPECT_FALSE(setValueForKey(*gauge, "isLit", 1.0, &error));
    EXPECT_EQ(gauge->level(), 2.5);
    EXPECT_TRUE(gauge->isLit());
}

TEST(Runtime, ObjectReferencesMustBeOfTheDeclaredClass) {
    auto gauge = std::make_shared<Gauge>();
    auto partner = std::make_shared<LoudGauge>();
    EXPECT_TRUE(setValueForKey(*gauge, "partner", std::shared_ptr<Object>(partner)));
    EXPECT_FALSE(setValueForKey(*gauge, "partner", std::shared_ptr<Object>(std::make_shared<Stranger>())));
    EXPECT_EQ(gauge->partner(), partner);
}

TEST(Runtime, AnUnregisteredSubclassIsKnownAsItsNearestRegisteredClass) {
    class LocalButton : public Button {};
    auto button = std::make_shared<LocalButton>();
    EXPECT_EQ(Runtime::shared().classOf(*button)->name(), "Button");
    EXPECT_TRUE(setValueForKey(*button, "action", std::string("launch:")));
    EXPECT_EQ(button->action(), "launch:");
}
