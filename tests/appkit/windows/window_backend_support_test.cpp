#include "platform/appkit/windows/backing_scale.h"
#include "platform/appkit/windows/screen_point.h"
#include "tests/appkit/scoped_environment.h"

#include <gtest/gtest.h>

using namespace appkit;

TEST(ScreenPixel, TheTopLeftPixelIsInsideTheWindowNearItsTopEdge) {
    auto point = windowPointFromScreenPixel(0, 0, 100, 1);
    EXPECT_EQ(point, (quartz::Point{0.5, 99.5}));
    auto bottomRight = windowPointFromScreenPixel(199, 99, 100, 1);
    EXPECT_EQ(bottomRight, (quartz::Point{199.5, 0.5}));
}

TEST(ScreenPixel, AWindowMadeLargerForAForcedScaleCountsPixelsAsFractionsOfPoints) {
    EXPECT_EQ(windowPointFromScreenPixel(140, 170, 120, 2), (quartz::Point{70.25, 34.75}));
}

TEST(ForcedBackingScale, TakesANumberFromOneToFourAndSaysWhyOtherValuesAreIgnored) {
    {
        ScopedEnvironment unset("VANTREL_BACKING_SCALE", std::nullopt);
        EXPECT_EQ(forcedBackingScale(), std::nullopt);
    }
    {
        ScopedEnvironment two("VANTREL_BACKING_SCALE", "2");
        EXPECT_EQ(forcedBackingScale(), 2);
    }
    for (const char* bad : {"0.5", "5", "2x", "abc", "nan"}) {
        ScopedEnvironment value("VANTREL_BACKING_SCALE", bad);
        std::string problem;
        EXPECT_EQ(forcedBackingScale(&problem), std::nullopt) << bad;
        EXPECT_NE(problem.find(bad), std::string::npos) << problem;
    }
}
