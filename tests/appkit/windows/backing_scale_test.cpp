#include "platform/appkit/windows/backing_scale.h"
#include "platform/appkit/windows/screen_point.h"
#include "tests/appkit/scoped_environment.h"

#include <gtest/gtest.h>
#include <optional>
#include <string_view>

using namespace appkit;

TEST(DesktopBackingScale, ComesFromGdkScaleElseXftDpiInQuarterStepsFromOneToFour) {
    struct Case {
        const char* gdkScale; // null: unset
        std::string_view resources;
        std::optional<double> scale;
    };
    for (const auto& test : std::initializer_list<Case>{

             {nullptr, "Xft.antialias:\t1\nXft.dpi:\t144\nXft.rgba:\trgb\n", 1.5},

             {nullptr, "Xft.dpi:\t960\n", 4},
             {nullptr, "Xft.dpi:\t96\nXft.dpi:\t192\n", 2},
             {nullptr, "Xft.dpi:\t-192\n", std::nullopt},
             {nullptr, "Xft.dpix:\t192\nmyXft.dpi:\t192\n", std::nullopt},
             {"1", "Xft.dpi:\t192\n", 1},

             {"two", "Xft.dpi:\t144\n", 1.5},
             {" 3 ", "", 3},
         }) {
        EXPECT_EQ(x11DesktopScale(test.gdkScale, test.resources), test.scale)
            << (test.gdkScale ? test.gdkScale : "(unset)") << " " << test.resources;
    }
}

TEST(ForcedBackingScale, TakesANumberFromOneToFourAndSaysWhyOtherValuesAreIgnored) {
    {
        ScopedEnvironment two("VANTREL_BACKING_SCALE", "2");
        EXPECT_EQ(forcedBackingScale(), 2);
    }
    for (const char* bad : {"0.5", "5", "2x", "nan"}) {
        ScopedEnvironment value("VANTREL_BACKING_SCALE", bad);
        std::string problem;
        EXPECT_EQ(forcedBackingScale(&problem), std::nullopt) << bad;
        EXPECT_NE(problem.find(bad), std::string::npos) << problem;
    }
}

// Pixels count from the top left; window points from the bottom left, a pixel being 1/scale point.
TEST(ScreenPixel, IsTheWindowPointAtItsCentre) {
    EXPECT_EQ(windowPointFromScreenPixel(0, 0, 100, 1), (quartz::Point{0.5, 99.5}));
    EXPECT_EQ(windowPointFromScreenPixel(140, 170, 120, 2), (quartz::Point{70.25, 34.75}));
}
