#include "platform/quartz/text_layer.h"

#include <gtest/gtest.h>

using quartz::Color;
using quartz::LayerValue;
using quartz::TextLayer;

TEST(TextLayer, HasCoreAnimationDefaults) {
    auto layer = TextLayer::layer();
    EXPECT_EQ(layer->string(), "");
    EXPECT_EQ(layer->font(), "");
    EXPECT_EQ(layer->fontSize(), 36);
    EXPECT_EQ(layer->foregroundColor(), Color(1, 1, 1, 1));
    EXPECT_EQ(layer->alignmentMode(), TextLayer::AlignmentMode::natural);
    EXPECT_FALSE(layer->wrapped());
    EXPECT_EQ(layer->backgroundColor(), std::nullopt);
}

TEST(TextLayer, ForegroundColorAndFontSizeByKey) {
    auto layer = TextLayer::layer();
    EXPECT_TRUE(layer->setValueForKey(Color(0, 0, 1, 1), "foregroundColor"));
    EXPECT_TRUE(layer->setValueForKey(12.0, "fontSize"));
    EXPECT_EQ(layer->foregroundColor(), Color(0, 0, 1, 1));
    EXPECT_EQ(layer->valueForKey("fontSize"), LayerValue(12.0));
    EXPECT_FALSE(layer->setValueForKey(LayerValue(), "foregroundColor"));
    EXPECT_FALSE(layer->setValueForKey(Color(), "fontSize"));
    EXPECT_EQ(layer->fontSize(), 12);
}
