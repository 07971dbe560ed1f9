#include "platform/appkit/windows/backing_scale.h"

#include <gtest/gtest.h>
#include <optional>
#include <string_view>

using namespace appkit;

namespace {

struct ScaleCase {
    const char* gdkScale; // null: unset
    std::string_view resources;
    std::optional<double> scale;
};

} // namespace

TEST(DesktopBackingScale, ComesFromGdkScaleElseXftDpiInQuarterStepsFromOneToFour) {
    const ScaleCase cases[] = {
        {nullptr, "", std::nullopt},
        {nullptr, "Xft.antialias:\t1\nXft.hinting:\t1\n", std::nullopt},
        {nullptr, "Xft.dpi:\t96\n", 1},
        {nullptr, "Xft.dpi:\t192\n", 2},
        {nullptr, "Xft.antialias:\t1\nXft.dpi:\t144\nXft.rgba:\trgb\n", 1.5},
        {nullptr, "Xft.dpi: 120", 1.25},
        {nullptr, "Xft.dpi:\t130\n", 1.25},
        {nullptr, "Xft.dpi:\t134.4\n", 1.5},
        {nullptr, "Xft.dpi:\t72\n", 1},
        {nullptr, "Xft.dpi:\t960\n", 4},
        {nullptr, "Xft.dpi:\t96\nXft.dpi:\t192\n", 2},
        {nullptr, "Xft.dpi:\tlarge\n", std::nullopt},
        {nullptr, "Xft.dpi:\t-192\n", std::nullopt},
        {nullptr, "Xft.dpi:\t\n", std::nullopt},
        {nullptr, "Xft.dpix:\t192\nmyXft.dpi:\t192\n", std::nullopt},
        {"2", "", 2},
        {"1", "Xft.dpi:\t192\n", 1},
        {"1.5", "", 1.5},
        {"8", "", 4},
        {"0", "Xft.dpi:\t192\n", 2},
        {"two", "Xft.dpi:\t144\n", 1.5},
        {"", "Xft.dpi:\t192\n", 2},
        {" 3 ", "", 3},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(x11DesktopScale(test.gdkScale, test.resources), test.scale)
            << "GDK_SCALE=" << (test.gdkScale ? test.gdkScale : "(unset)")
            << " resources: " << test.resources;
    }
}
