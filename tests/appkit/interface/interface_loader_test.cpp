#include "platform/appkit/interface/coder.h"
#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/button.h"
#include "platform/appkit/windows/window.h"
#include "platform/quartz/bitmap.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>

using namespace appkit;
using quartz::Rect;

namespace {

// What the test objects went through, in order: "<tag> awake" with what each had by then.
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

// A view with a property of each kind, a control's target and action among them.
class Widget : public View {
public:
    bool initWithCoder(const Coder& coder) override {
        tag_ = coder.decodeString("tag").value_or("");
        return View::initWithCoder(coder);
    }
    void awakeFromNib() override {
        awakenings().push_back(tag_ + " r=" + std::to_string(int(radius_)) + " " + action_ +
                               (target() ? " targeted" : ""));
    }
    double cornerRadius() const { return radius_; }
    void setCornerRadius(double radius) {
        radius_ = radius;
        frameWhenRadiusSet = frame();
    }
    std::shared_ptr<Object> target() const { return target_.lock(); }
    void setTarget(std::shared_ptr<Object> target) { target_ = target; }
    const std::string& action() const { return action_; }
    void setAction(const std::string& action) { action_ = action; }

    Rect frameWhenRadiusSet;

private:
    Counted counted_;
    std::string tag_, action_;
    double radius_ = 0;
    std::weak_ptr<Object> target_;
};

// A top-level object that is not a view.
class Model : public Object {
public:
    void awakeFromNib() override { awakenings().push_back("model"); }
    void record(Object*) {}

private:
    Counted counted_;
};

class Owner : public Object {
public:
    void awakeFromNib() override { awakenings().push_back("owner"); }
    std::shared_ptr<Window> window() const { return window_; }
    void setWindow(std::shared_ptr<Window> window) { window_ = window; }
    std::shared_ptr<Object> model() const { return model_.lock(); }
    void setModel(std::shared_ptr<Object> model) { model_ = model; }
    void launch(Object*) {}

private:
    std::shared_ptr<Window> window_; // strong, so a wiring left behind by a refused file would show
    std::weak_ptr<Object> model_;
};

const ClassRegistration registration([](Runtime& runtime) {
    runtime.registerClass<Widget>("LoaderTestWidget", "View")
        .property("cornerRadius", &Widget::cornerRadius, &Widget::setCornerRadius)
        .property("target", &Widget::target, &Widget::setTarget)
        .property("action", &Widget::action, &Widget::setAction);
    runtime.registerClass<Model>("LoaderTestModel").action("record:", &Model::record);
    runtime.registerClass<Owner>("LoaderTestOwner")
        .property("window", &Owner::window, &Owner::setWindow)
        .property("model", &Owner::model, &Owner::setModel)
        .action("launch:", &Owner::launch);
});

template <typename T> std::shared_ptr<T> objectWithId(const LoadedInterface& loaded, std::string_view id) {
    return std::dynamic_pointer_cast<T>(loaded.objectWithId(id));
}

class InterfaceLoading : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        awakenings().clear();
    }
    std::optional<LoadedInterface> load(const std::string& text) {
        return loadInterfaceData(text, "main.json", home(), owner, &error);
    }

    std::shared_ptr<Owner> owner = std::make_shared<Owner>();
    std::string error;
};

} // namespace

// Attributes, then properties and connections, then awakeFromNib in document order, not the owner's.
TEST_F(InterfaceLoading, WiresEverythingBeforeWakingEachObjectOnceInDocumentOrder) {
    auto loaded = load(R"({"objects": [
        {"id": "window", "class": "Window", "attributes": {"frame": [0, 0, 480, 240]},
         "properties": {"contentView": {"ref": "content"}}},
        {"id": "content", "class": "View", "subviews": ["label", "widget"]},
        {"id": "label", "class": "View"},
        {"id": "widget", "class": "LoaderTestWidget", "attributes": {"frame": [1, 2, 30, 40], "tag": "widget"},
         "properties": {"cornerRadius": 6}},
        {"id": "m", "class": "LoaderTestModel"},
        {"id": "control", "class": "LoaderTestWidget", "attributes": {"tag": "control"}}],
        "outlets": [{"object": "owner", "key": "window", "destination": "window"}],
        "actions": [{"object": "control", "action": "launch:", "target": "owner"}]})");
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(awakenings(),
              (std::vector<std::string>{"widget r=6 ", "model", "control r=0 launch: targeted"}));
    EXPECT_EQ(objectWithId<Widget>(*loaded, "widget")->frameWhenRadiusSet, Rect(1, 2, 30, 40));
    auto window = objectWithId<Window>(*loaded, "window");
    EXPECT_EQ(owner->window(), window);
    EXPECT_EQ(window->contentView()->subviews(),
              (std::vector<std::shared_ptr<View>>{objectWithId<View>(*loaded, "label"),
                                                  objectWithId<View>(*loaded, "widget")}));
}

TEST_F(InterfaceLoading, LoadedObjectsLiveWhileTheCallerKeepsThemThoughOnlyWeaklyReferenced) {
    auto loaded = load(R"({"objects": [{"id": "m", "class": "LoaderTestModel"},
                                       {"id": "button", "class": "LoaderTestWidget"}],
                           "outlets": [{"object": "owner", "key": "model", "destination": "m"}],
                           "actions": [{"object": "button", "action": "record:", "target": "m"}]})");
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(objectWithId<Widget>(*loaded, "button")->target(), owner->model());
    loaded.reset();
    EXPECT_EQ(owner->model(), nullptr);
    EXPECT_EQ(Counted::alive, 0);
}

TEST_F(InterfaceLoading, AnImageComesFromTheFilesFolderAndNeverFromOutsideIt) {
    auto folder = makeFolder("Resources");
    for (const auto& path : {folder / "check.png", home() / "x.png"})
        ASSERT_TRUE(quartz::Bitmap::make(3, 2)->writePNG(path));
    auto widget = [](const std::string& icon) {
        return R"({"objects": [{"id": "w", "class": "Button", "attributes": {"image": ")" + icon + R"("}}]})";
    };
    writeFile(folder / "main.json", widget("check.png"));
    auto loaded = loadInterfaceFile(folder / "main.json", owner, &error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(objectWithId<Button>(*loaded, "w")->image()->size(), (quartz::Size{3, 2}));
    for (const std::string& name : {std::string("../x.png"), (home() / "x.png").string()}) {
        EXPECT_FALSE(loadInterfaceData(widget(name), "main.json", folder, owner, &error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
}

TEST_F(InterfaceLoading, MoreObjectsThanTheLimitAreRefusedBeforeAnyIsMade) {
    std::string objects = R"({"id": "m", "class": "LoaderTestModel"})";
    for (std::size_t index = 0; index < maximumInterfaceObjects; ++index)
        objects += R"(,{"id": "m)" + std::to_string(index) + R"(", "class": "LoaderTestModel"})";
    EXPECT_FALSE(load("{\"objects\": [" + objects + "]}"));
    EXPECT_NE(error.find("more than 10000 objects"), std::string::npos) << error;
    EXPECT_TRUE(awakenings().empty());
}

// A file that would wire the owner's window and wake a widget, but for one fault: the message
// names the file, the object's id and class, the key and what is wrong, and nothing is loaded.
TEST_F(InterfaceLoading, ARefusedFileNamesTheFaultAndLoadsNothing) {
    auto fileWith = [](const std::string& objects, const std::string& actions = "",
                       const std::string& outlets = "") {
        return R"({"objects": [{"id": "window", "class": "Window"},
                   {"id": "widget", "class": "LoaderTestWidget", "attributes": {"tag": "widget"}})" +
               (objects.empty() ? "" : ", " + objects) +
               R"(], "outlets": [{"object": "owner", "key": "window", "destination": "window"})" +
               (outlets.empty() ? "" : ", " + outlets) + R"(], "actions": [)" + actions + "]}";
    };
    auto widgetWith = [&](const std::string& properties) {
        return fileWith(R"({"id": "button", "class": "LoaderTestWidget", "properties": {)" + properties +
                        "}}");
    };
    const std::vector<std::pair<std::string, std::vector<std::string>>> faults{
        {fileWith(R"({"id": "button", "class": "FlatButtonX"})"),
         {"main.json: ", "\"button\"", "FlatButtonX", "no such class"}},
        {widgetWith(R"("colour": [1, 0, 0])"),
         {"\"button\"", "LoaderTestWidget", "\"colour\"", "no such property"}},
        {widgetWith(R"("cornerRadius": "6")"), {"\"cornerRadius\"", "a number", "\"6\""}},
        {fileWith(R"({"id": "w", "class": "Window", "properties": {"contentView": {"ref": "nowhere"}}})"),
         {"\"contentView\"", "\"nowhere\"", "no such object"}},
        {fileWith(R"({"id": "widget", "class": "View"})"), {"\"widget\"", "View", "already used"}},
        {fileWith(R"({"id": "owner", "class": "LoaderTestOwner"})"), {"\"owner\"", "reserved"}},
        {fileWith(R"({"id": "content", "class": "View", "subview": ["widget"]})"),
         {"\"content\"", "\"subview\""}},
        {fileWith(R"({"id": "b", "class": "LoaderTestWidget"}, {"id": "m", "class": "LoaderTestModel"})",
                  R"({"object": "b", "action": "launch:", "target": "m"})"),
         {"\"b\"", "\"launch:\"", "\"m\" (LoaderTestModel)", "does not respond"}},
        {fileWith(R"({"id": "m", "class": "LoaderTestModel"})", "",
                  R"({"object": "owner", "key": "window", "destination": "m"})"),
         {"\"owner\" (LoaderTestOwner)", "\"window\"", "\"m\" (LoaderTestModel)", "another class"}},
        {fileWith(
             R"({"id": "c", "class": "View", "subviews": ["m"]}, {"id": "m", "class": "LoaderTestModel"})"),
         {"\"c\" (View)", "\"m\"", "not a view"}},
        {fileWith(
             R"({"id": "a", "class": "View", "subviews": ["widget"]}, {"id": "b", "class": "View", "subviews": ["widget"]})"),
         {"\"b\" (View)", "already has a superview"}},
        {fileWith(
             R"({"id": "a", "class": "View", "subviews": ["b"]}, {"id": "b", "class": "View", "subviews": ["a"]})"),
         {"inside itself"}},
        {fileWith(R"({"id": "v", "class": "View", "attributes": {"frame": "wide"}})"),
         {"\"v\" (View)", "\"frame\""}},
    };
    for (const auto& [text, mentions] : faults) {
        EXPECT_FALSE(load(text)) << text;
        for (const std::string& mention : mentions)
            EXPECT_NE(error.find(mention), std::string::npos) << "\"" << mention << "\" not in: " << error;
        EXPECT_EQ(owner->window(), nullptr);
        EXPECT_TRUE(awakenings().empty());
        EXPECT_EQ(Counted::alive, 0);
    }
}
