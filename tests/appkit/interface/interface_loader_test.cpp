#include "platform/appkit/interface/coder.h"
#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/view.h"
#include "platform/appkit/windows/window.h"
#include "platform/quartz/bitmap.h"
#include "tests/support/temporary_home.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace appkit;
using quartz::Color;
using quartz::Rect;

namespace {

// What the test objects went through, in order: "<tag> awake".
std::vector<std::string>& awakenings() {
    static std::vector<std::string> log;
    return log;
}

// Counts live test objects, so a refused file can be seen to leave none behind.
struct Counted {
    Counted() { ++alive; }
    Counted(const Counted&) : Counted() {}
    ~Counted() { --alive; }
    static inline int alive = 0;
};

class Widget : public View {
public:
    bool initWithCoder(const Coder& coder) override {
        bool initialised = View::initWithCoder(coder);
        tag_ = coder.decodeString("tag").value_or("");
        return initialised;
    }
    void awakeFromNib() override {
        awakenings().push_back(tag_ + " awake");
        radiusAtAwake = cornerRadius_;
        momentaryAtAwake = momentary_;
        fillAtAwake = fillColor_;
        tooltipAtAwake = tooltip_;
    }

    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) {
        cornerRadius_ = radius;
        frameWhenRadiusSet = frame();
    }
    bool momentary() const { return momentary_; }
    void setMomentary(bool momentary) { momentary_ = momentary; }
    std::optional<Color> fillColor() const { return fillColor_; }
    void setFillColor(std::optional<Color> color) { fillColor_ = color; }
    const std::string& customTooltip() const { return tooltip_; }
    void setCustomTooltip(const std::string& tooltip) { tooltip_ = tooltip; }
    std::shared_ptr<Widget> partner() const { return partner_.lock(); }
    void setPartner(std::shared_ptr<Widget> partner) { partner_ = partner; }

    std::optional<quartz::Image> icon;
    std::optional<Rect> frameWhenRadiusSet;
    double radiusAtAwake = 0;
    bool momentaryAtAwake = false;
    std::optional<Color> fillAtAwake;
    std::string tooltipAtAwake;

private:
    Counted counted_;
    std::string tag_;
    double cornerRadius_ = 0;
    bool momentary_ = true;
    std::optional<Color> fillColor_;
    std::string tooltip_;
    std::weak_ptr<Widget> partner_;
};

// A control as the loader sees one: "target" and "action" properties.
class Control : public View {
public:
    bool initWithCoder(const Coder& coder) override {
        tag_ = coder.decodeString("tag").value_or("");
        return View::initWithCoder(coder);
    }
    void awakeFromNib() override {
        awakenings().push_back(tag_ + " awake");
        targetAtAwake = target_;
        actionAtAwake = action_;
    }
    std::shared_ptr<Object> target() const { return target_.lock(); }
    void setTarget(std::shared_ptr<Object> target) { target_ = target; }
    const std::string& action() const { return action_; }
    void setAction(const std::string& action) { action_ = action; }

    std::weak_ptr<Object> targetAtAwake;
    std::string actionAtAwake;

private:
    Counted counted_;
    std::string tag_;
    std::weak_ptr<Object> target_;
    std::string action_;
};

// A top-level object that is not a view.
class Model : public Object {
public:
    bool initWithCoder(const Coder& coder) override {
        tag_ = coder.decodeString("tag").value_or("");
        return true;
    }
    void awakeFromNib() override { awakenings().push_back(tag_ + " awake"); }
    void record(Object*) {}

private:
    Counted counted_;
    std::string tag_;
};

class Owner : public Object {
public:
    Owner() { ++made; }
    void awakeFromNib() override { awakenings().push_back("owner awake"); }
    std::shared_ptr<Window> window() const { return window_; }
    void setWindow(std::shared_ptr<Window> window) { window_ = window; }
    std::shared_ptr<Widget> widget() const { return widget_.lock(); }
    void setWidget(std::shared_ptr<Widget> widget) { widget_ = widget; }
    std::shared_ptr<Object> model() const { return model_.lock(); }
    void setModel(std::shared_ptr<Object> model) { model_ = model; }
    void launch(Object*) {}

    static inline int made = 0;

private:
    std::shared_ptr<Window> window_; // strong, so a wiring left behind by a refused file would show
    std::weak_ptr<Widget> widget_;
    std::weak_ptr<Object> model_;
};

void registerWidget(Runtime& runtime) {
    ClassInfo& info = runtime.add(
        typeid(Widget), "LoaderTestWidget", "View", [] { return std::make_shared<Widget>(); },
        [](const Object& object) { return dynamic_cast<const Widget*>(&object) != nullptr; });
    ClassBuilder<Widget>(info)
        .property("cornerRadius", &Widget::cornerRadius, &Widget::setCornerRadius)
        .property("momentary", &Widget::momentary, &Widget::setMomentary)
        .property("fillColor", &Widget::fillColor, &Widget::setFillColor)
        .property("customTooltip", &Widget::customTooltip, &Widget::setCustomTooltip)
        .property("partner", &Widget::partner, &Widget::setPartner);
    // Registered by hand: the typed builder has no image properties yet.
    info.addProperty("icon", {ValueKind::image,
                              [](Object& object, const PropertyValue& value) {
                                  static_cast<Widget&>(object).icon = std::get<quartz::Image>(value);
                                  return true;
                              },
                              [](const Object&) -> std::optional<PropertyValue> { return std::nullopt; }});
}

const ClassRegistration registration([](Runtime& runtime) {
    registerWidget(runtime);
    runtime.registerClass<Control>("LoaderTestControl", "View")
        .property("target", &Control::target, &Control::setTarget)
        .property("action", &Control::action, &Control::setAction);
    runtime.registerClass<Model>("LoaderTestModel").action("record:", &Model::record);
    runtime.registerClass<Owner>("LoaderTestOwner")
        .property("window", &Owner::window, &Owner::setWindow)
        .property("widget", &Owner::widget, &Owner::setWidget)
        .property("model", &Owner::model, &Owner::setModel)
        .action("launch:", &Owner::launch);
});

void writePng(const std::filesystem::path& path, int width, int height) {
    auto bitmap = quartz::Bitmap::make(width, height);
    ASSERT_TRUE(bitmap && bitmap->writePNG(path));
}

template <typename T> std::shared_ptr<T> objectWithId(const LoadedInterface& loaded, std::string_view id) {
    return std::dynamic_pointer_cast<T>(loaded.objectWithId(id));
}

} // namespace

class InterfaceLoading : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        awakenings().clear();
        Owner::made = 0;
        owner = std::make_shared<Owner>();
    }

    std::optional<LoadedInterface> load(const std::string& text) {
        return loadInterfaceData(text, "main.json", home(), owner, &error);
    }

    std::shared_ptr<Owner> owner;
    std::string error;
};

TEST_F(InterfaceLoading, AnOutletToTheOwnerWiresTheObjectThatLoadedTheFile) {
    auto loaded = load(R"({"objects": [{"id": "window", "class": "Window"}],
                           "outlets": [{"object": "owner", "key": "window", "destination": "window"}]})");
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(owner->window(), loaded->objectWithId("window"));
    EXPECT_EQ(loaded->topLevelObjects.size(), 1u);
    EXPECT_EQ(Owner::made, 1); // wired, not made anew
}

TEST_F(InterfaceLoading, PropertiesAreSetBeforeAwakeFromNib) {
    auto loaded = load(R"({"objects": [{"id": "button", "class": "LoaderTestWidget", "properties": {
        "cornerRadius": 6, "momentary": false, "fillColor": [1, 0.5, 0, 1], "customTooltip": "Starts"}}]})");
    ASSERT_TRUE(loaded) << error;
    auto button = objectWithId<Widget>(*loaded, "button");
    EXPECT_EQ(button->radiusAtAwake, 6);
    EXPECT_FALSE(button->momentaryAtAwake);
    EXPECT_EQ(button->fillAtAwake, Color(1, 0.5, 0, 1));
    EXPECT_EQ(button->tooltipAtAwake, "Starts");
}

TEST_F(InterfaceLoading, ArchivedAttributesAreInPlaceBeforePropertiesAndAwakeFromNib) {
    auto loaded = load(R"({"objects": [{"id": "button", "class": "LoaderTestWidget",
        "attributes": {"frame": [1, 2, 30, 40], "tag": "button"}, "properties": {"cornerRadius": 6}}]})");
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(objectWithId<Widget>(*loaded, "button")->frameWhenRadiusSet, Rect(1, 2, 30, 40));
    EXPECT_EQ(awakenings(), std::vector<std::string>{"button awake"}); // the tag was read first
}

TEST_F(InterfaceLoading, SubviewsAreAddedInOrderUnderTheirSuperview) {
    auto loaded = load(R"({"objects": [
        {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 480, 240]},
         "properties": {"contentView": {"ref": "content"}}},
        {"id": "content", "class": "View", "subviews": ["label", "button"]},
        {"id": "label", "class": "View"}, {"id": "button", "class": "LoaderTestWidget"}]})");
    ASSERT_TRUE(loaded) << error;
    auto window = objectWithId<Window>(*loaded, "window");
    auto content = objectWithId<View>(*loaded, "content");
    auto label = objectWithId<View>(*loaded, "label");
    auto button = objectWithId<View>(*loaded, "button");
    EXPECT_EQ(window->contentView(), content);
    EXPECT_EQ(content->subviews(), (std::vector<std::shared_ptr<View>>{label, button}));
    EXPECT_EQ(label->superview(), content);
    EXPECT_EQ(button->superview(), content);
    EXPECT_EQ(button->window(), window);
}

TEST_F(InterfaceLoading, EveryObjectAwakesOnceInDocumentOrderButNotTheOwner) {
    auto loaded = load(R"({"objects": [
        {"id": "b", "class": "LoaderTestWidget", "attributes": {"tag": "b"}},
        {"id": "m", "class": "LoaderTestModel", "attributes": {"tag": "m"}},
        {"id": "a", "class": "LoaderTestControl", "attributes": {"tag": "a"}}],
        "outlets": [{"object": "owner", "key": "model", "destination": "m"}]})");
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(awakenings(), (std::vector<std::string>{"b awake", "m awake", "a awake"}));
}

TEST_F(InterfaceLoading, AnActionConnectionSetsTargetAndActionBeforeAwakeFromNib) {
    auto loaded = load(R"({"objects": [{"id": "button", "class": "LoaderTestControl"}],
                           "actions": [{"object": "button", "action": "launch:", "target": "owner"}]})");
    ASSERT_TRUE(loaded) << error;
    auto button = objectWithId<Control>(*loaded, "button");
    EXPECT_EQ(button->targetAtAwake.lock(), owner);
    EXPECT_EQ(button->actionAtAwake, "launch:");
}

TEST_F(InterfaceLoading, LoadedObjectsLiveWhileTheCallerKeepsThemThoughOnlyWeaklyReferenced) {
    auto loaded = load(R"({"objects": [{"id": "m", "class": "LoaderTestModel"},
                                       {"id": "button", "class": "LoaderTestControl"}],
                           "outlets": [{"object": "owner", "key": "model", "destination": "m"}],
                           "actions": [{"object": "button", "action": "record:", "target": "m"}]})");
    ASSERT_TRUE(loaded) << error;
    std::weak_ptr<Object> model = loaded->objectWithId("m");
    std::weak_ptr<Object> button = loaded->objectWithId("button");
    EXPECT_EQ(owner->model(), model.lock());
    EXPECT_EQ(objectWithId<Control>(*loaded, "button")->target(), model.lock());
    loaded.reset();
    EXPECT_TRUE(model.expired());
    EXPECT_TRUE(button.expired());
    EXPECT_EQ(owner->model(), nullptr);
}

TEST_F(InterfaceLoading, AnImagePropertyLoadsAPngFromTheFilesFolder) {
    auto folder = makeFolder("Resources");
    writePng(folder / "check.png", 3, 2);
    writeFile(folder / "main.json", R"({"objects": [{"id": "button", "class": "LoaderTestWidget",
                                        "properties": {"icon": "check.png"}}]})");
    auto loaded = loadInterfaceFile(folder / "main.json", owner, &error);
    ASSERT_TRUE(loaded) << error;
    auto icon = objectWithId<Widget>(*loaded, "button")->icon;
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->size(), (quartz::Size{3, 2}));
}

TEST_F(InterfaceLoading, AnImageNamedOutsideTheResourceFolderIsRefused) {
    auto folder = makeFolder("Resources");
    writePng(home() / "x.png", 3, 2);
    for (const std::string& name :
         {std::string("../x.png"), (home() / "x.png").string(), std::string("sub/../../x.png")}) {
        error.clear();
        auto text = R"({"objects": [{"id": "button", "class": "LoaderTestWidget",
                        "properties": {"icon": ")" +
                    name + R"("}}]})";
        EXPECT_FALSE(loadInterfaceData(text, "main.json", folder, owner, &error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
        EXPECT_EQ(Counted::alive, 0);
    }
}

TEST_F(InterfaceLoading, AFileThatCannotBeReadIsRefusedByName) {
    EXPECT_FALSE(loadInterfaceFile(home() / "absent.json", owner, &error));
    EXPECT_NE(error.find("absent.json"), std::string::npos) << error;
}

TEST_F(InterfaceLoading, MoreObjectsThanTheLimitAreRefusedBeforeAnyIsMade) {
    std::string objects;
    for (std::size_t index = 0; index <= maximumInterfaceObjects; ++index)
        objects += (index ? ",{\"id\": \"m" : "{\"id\": \"m") + std::to_string(index) +
                   "\", \"class\": \"LoaderTestModel\"}";
    EXPECT_FALSE(load("{\"objects\": [" + objects + "]}"));
    EXPECT_NE(error.find("more than 10000 objects"), std::string::npos) << error;
    EXPECT_TRUE(awakenings().empty());
}

namespace {

struct Fault {
    const char* name;
    std::string text;
    // What the message must name: the file, the object's id and class, the key.
    std::vector<std::string> mentions;
};

void PrintTo(const Fault& fault, std::ostream* stream) {
    *stream << fault.name;
}

// A file that would wire the owner's window and wake a widget, but for one fault.
std::string fileWith(const std::string& objects, const std::string& actions = "",
                     const std::string& outlets = "") {
    auto after = [](const std::string& more) { return more.empty() ? "" : ", " + more; };
    return R"({"objects": [{"id": "window", "class": "Window"},
                          {"id": "widget", "class": "LoaderTestWidget", "attributes": {"tag": "widget"}})" +
           after(objects) +
           R"(], "outlets": [{"object": "owner", "key": "window", "destination": "window"})" +
           after(outlets) + R"(], "actions": [)" + actions + "]}";
}

std::string widgetWith(const std::string& properties) {
    return R"({"id": "button", "class": "LoaderTestWidget", "properties": {)" + properties + "}}";
}

const Fault faults[] = {
    {"UnknownClass",
     fileWith(R"({"id": "button", "class": "FlatButtonX"})"),
     {"main.json: ", "\"button\"", "FlatButtonX", "no such class"}},
    {"UnknownPropertyKey",
     fileWith(widgetWith(R"("colour": [1, 0, 0])")),
     {"main.json: ", "\"button\"", "LoaderTestWidget", "\"colour\"", "no such property"}},
    {"StringForANumber",
     fileWith(widgetWith(R"("cornerRadius": "6")")),
     {"\"button\"", "LoaderTestWidget", "\"cornerRadius\"", "a number", "\"6\""}},
    {"NumberForAColour",
     fileWith(widgetWith(R"("fillColor": 1)")),
     {"\"button\"", "LoaderTestWidget", "\"fillColor\"", "colour"}},
    {"ColourComponentAboveOne",
     fileWith(widgetWith(R"("fillColor": [1.5, 0, 0])")),
     {"\"button\"", "\"fillColor\"", "colour", "[1.5,0,0]"}},
    {"UnknownColourName", fileWith(widgetWith(R"("fillColor": "mauve")")), {"\"fillColor\"", "mauve"}},
    {"MissingImage",
     fileWith(widgetWith(R"("icon": "missing.png")")),
     {"\"button\"", "LoaderTestWidget", "\"icon\"", "missing.png"}},
    {"UnknownReference",
     fileWith(widgetWith(R"("partner": {"ref": "nowhere"})")),
     {"\"button\"", "LoaderTestWidget", "\"partner\"", "\"nowhere\"", "no such object"}},
    {"ReferenceToAnObjectOfAnotherClass",
     fileWith(widgetWith(R"("partner": {"ref": "window"})")),
     {"\"button\"", "\"partner\"", "another class"}},
    {"DuplicateId", fileWith(R"({"id": "widget", "class": "View"})"), {"\"widget\"", "View", "already used"}},
    {"OwnerDeclared", fileWith(R"({"id": "owner", "class": "LoaderTestOwner"})"), {"\"owner\"", "reserved"}},
    {"MalformedJSON", R"({"objects": [{"id": "window", "class": "Window"})", {"main.json: ", "JSON"}},
    {"MisspeltEntry",
     fileWith(R"({"id": "content", "class": "View", "subview": ["widget"]})"),
     {"\"content\"", "\"subview\""}},
    {"ActionTheTargetDoesNotRespondTo",
     fileWith(R"({"id": "button", "class": "LoaderTestControl"}, {"id": "m", "class": "LoaderTestModel"})",
              R"({"object": "button", "action": "launch:", "target": "m"})"),
     {"\"button\"", "LoaderTestControl", "\"launch:\"", "\"m\" (LoaderTestModel)", "does not respond"}},
    {"ActionFromAnObjectWithoutTarget",
     fileWith("", R"({"object": "widget", "action": "launch:", "target": "owner"})"),
     {"\"widget\"", "LoaderTestWidget", "\"launch:\"", "\"target\""}},
    {"UnknownOutletKey",
     fileWith("", "", R"({"object": "owner", "key": "windw", "destination": "widget"})"),
     {"\"owner\" (LoaderTestOwner)", "\"windw\"", "no such property"}},
    {"OutletToAnObjectOfAnotherClassAfterTheOwnerWasWired",
     fileWith(R"({"id": "m", "class": "LoaderTestModel"})", "",
              R"({"object": "owner", "key": "widget", "destination": "m"})"),
     {"\"owner\" (LoaderTestOwner)", "\"widget\"", "\"m\" (LoaderTestModel)", "another class"}},
    {"UnknownOutletDestination",
     fileWith("", "", R"({"object": "owner", "key": "widget", "destination": "nowhere"})"),
     {"\"owner\"", "\"widget\"", "\"nowhere\"", "no such object"}},
    {"SubviewThatIsNotAView",
     fileWith(
         R"({"id": "content", "class": "View", "subviews": ["m"]}, {"id": "m", "class": "LoaderTestModel"})"),
     {"\"content\" (View)", "\"m\"", "not a view"}},
    {"SubviewWithASuperviewAlready",
     fileWith(
         R"({"id": "a", "class": "View", "subviews": ["widget"]}, {"id": "b", "class": "View", "subviews": ["widget"]})"),
     {"\"b\" (View)", "\"widget\"", "already has a superview"}},
    {"SubviewsInsideEachOther",
     fileWith(
         R"({"id": "a", "class": "View", "subviews": ["b"]}, {"id": "b", "class": "View", "subviews": ["a"]})"),
     {"(View)", "inside itself"}},
    {"RefusedArchivedAttribute",
     fileWith(R"({"id": "v", "class": "View", "attributes": {"frame": "wide"}})"),
     {"\"v\" (View)", "\"frame\""}},
};

class RefusedInterfaceFile : public InterfaceLoading, public ::testing::WithParamInterface<Fault> {};

} // namespace

TEST_P(RefusedInterfaceFile, NamesTheFaultAndLoadsNothing) {
    EXPECT_FALSE(load(GetParam().text));
    for (const std::string& mention : GetParam().mentions)
        EXPECT_NE(error.find(mention), std::string::npos) << "\"" << mention << "\" not in: " << error;
    EXPECT_EQ(owner->window(), nullptr);
    EXPECT_TRUE(awakenings().empty());
    EXPECT_EQ(Counted::alive, 0);
}

INSTANTIATE_TEST_SUITE_P(InterfaceLoading, RefusedInterfaceFile, ::testing::ValuesIn(faults),
                         [](const auto& info) { return std::string(info.param.name); });
