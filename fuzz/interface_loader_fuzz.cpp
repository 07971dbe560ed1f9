// Loads arbitrary text as an interface file for a fresh owner, with classes whose properties cover
// every kind of value, and a resource folder holding one image.
#include "platform/appkit/interface/interface_loader.h"
#include "platform/appkit/runtime/runtime.h"
#include "platform/appkit/views/view.h"
#include "platform/appkit/windows/window.h"

#include <cairo.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace appkit;

class FuzzWidget : public View {
public:
    double radius() const { return radius_; }
    void setRadius(double radius) { radius_ = radius; }
    bool isOn() const { return on_; }
    void setIsOn(bool on) { on_ = on; }
    const std::string& label() const { return label_; }
    void setLabel(const std::string& label) { label_ = label; }
    std::optional<quartz::Color> fill() const { return fill_; }
    void setFill(std::optional<quartz::Color> fill) { fill_ = fill; }
    quartz::Rect badge() const { return badge_; }
    void setBadge(quartz::Rect badge) { badge_ = badge; }
    std::shared_ptr<Object> target() const { return target_.lock(); }
    void setTarget(std::shared_ptr<Object> target) { target_ = target; }
    const std::string& action() const { return action_; }
    void setAction(const std::string& action) { action_ = action; }
    std::shared_ptr<View> partner() const { return partner_.lock(); }
    void setPartner(std::shared_ptr<View> partner) { partner_ = partner; }
    void poke(Object*) {}

    std::optional<quartz::Image> icon;

private:
    double radius_ = 0;
    bool on_ = false;
    std::string label_;
    std::optional<quartz::Color> fill_;
    quartz::Rect badge_;
    std::weak_ptr<Object> target_;
    std::string action_;
    std::weak_ptr<View> partner_;
};

class FuzzOwner : public Object {
public:
    std::shared_ptr<Window> window() const { return window_.lock(); }
    void setWindow(std::shared_ptr<Window> window) { window_ = window; }
    std::shared_ptr<FuzzWidget> widget() const { return widget_.lock(); }
    void setWidget(std::shared_ptr<FuzzWidget> widget) { widget_ = widget; }
    void launch(Object*) {}

private:
    std::weak_ptr<Window> window_;
    std::weak_ptr<FuzzWidget> widget_;
};

const ClassRegistration registration([](Runtime& runtime) {
    ClassInfo& info = runtime.add(
        typeid(FuzzWidget), "FuzzWidget", "View", [] { return std::make_shared<FuzzWidget>(); },
        [](const Object& object) { return dynamic_cast<const FuzzWidget*>(&object) != nullptr; });
    ClassBuilder<FuzzWidget>(info)
        .property("radius", &FuzzWidget::radius, &FuzzWidget::setRadius)
        .property("isOn", &FuzzWidget::isOn, &FuzzWidget::setIsOn)
        .property("label", &FuzzWidget::label, &FuzzWidget::setLabel)
        .property("fill", &FuzzWidget::fill, &FuzzWidget::setFill)
        .property("badge", &FuzzWidget::badge, &FuzzWidget::setBadge)
        .property("target", &FuzzWidget::target, &FuzzWidget::setTarget)
        .property("action", &FuzzWidget::action, &FuzzWidget::setAction)
        .property("partner", &FuzzWidget::partner, &FuzzWidget::setPartner)
        .action("poke:", &FuzzWidget::poke);
    info.addProperty("icon", {ValueKind::image,
                              [](Object& object, const PropertyValue& value) {
                                  static_cast<FuzzWidget&>(object).icon = std::get<quartz::Image>(value);
                                  return true;
                              },
                              [](const Object&) -> std::optional<PropertyValue> { return std::nullopt; }});
    runtime.registerClass<FuzzOwner>("FuzzOwner")
        .property("window", &FuzzOwner::window, &FuzzOwner::setWindow)
        .property("widget", &FuzzOwner::widget, &FuzzOwner::setWidget)
        .action("launch:", &FuzzOwner::launch);
});

// A resource folder with "icon.png", made once and removed when the process exits.
class ResourceFolder {
public:
    ResourceFolder() {
        char pattern[] = "/tmp/vantrel-fuzz-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            std::abort();
        path_ = pattern;
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2, 2);
        if (cairo_surface_write_to_png(surface, (path_ / "icon.png").c_str()) != CAIRO_STATUS_SUCCESS)
            std::abort();
        cairo_surface_destroy(surface);
    }
    ~ResourceFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ResourceFolder(const ResourceFolder&) = delete;
    ResourceFolder& operator=(const ResourceFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ResourceFolder resources;
    std::string error;
    auto owner = std::make_shared<FuzzOwner>();
    auto loaded = loadInterfaceData(std::string(reinterpret_cast<const char*>(data), size), "fuzz.json",
                                    resources.path(), owner, &error);
    if (!loaded && error.empty())
        std::abort(); // a refusal always says why
    return 0;
}
