#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/layer_tree_description.h"
#include "platform/quartz/shape_layer.h"
#include "platform/quartz/text_layer.h"

#include <gtest/gtest.h>

using namespace quartz;

TEST(LayerTreeDescription, DefaultLayerShowsOnlyKindAndFrame) {
    EXPECT_EQ(describeTree(*Layer::layer()), "Layer frame=(0, 0, 0, 0)\n");
}

TEST(LayerTreeDescription, ListsChangedPropertiesAndIndentsSublayersAndMask) {
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 100, 40));
    root->setBackgroundColor(Color(1, 0, 0, 1));
    root->setOpacity(0.5f);
    root->setGeometryFlipped(true);
    auto mask = ShapeLayer::layer();
    mask->setFrame(Rect(0, 0, 100, 40));
    mask->setFillColor(std::nullopt);
    root->setMask(mask);
    auto text = TextLayer::layer();
    text->setFrame(Rect(10, 10, 80, 20));
    text->setString("OK");
    text->setFontSize(12);
    text->setAlignmentMode(TextLayer::AlignmentMode::center);
    root->addSublayer(text);
    auto gradient = GradientLayer::layer();
    gradient->setColors({Color(0, 0, 0, 1), Color(1, 1, 1, 1)});
    gradient->setLocations(std::vector<double>{0, 0.25});
    text->addSublayer(gradient);

    EXPECT_EQ(
        describeTree(*root),
        "Layer frame=(0, 0, 100, 40) geometryFlipped=true backgroundColor=rgba(1, 0, 0, 1) opacity=0.5\n"
        "  mask: ShapeLayer frame=(0, 0, 100, 40) fillColor=none\n"
        "  TextLayer frame=(10, 10, 80, 20) string=\"OK\" fontSize=12 alignmentMode=center\n"
        "    GradientLayer frame=(0, 0, 0, 0) colors=[rgba(0, 0, 0, 1), rgba(1, 1, 1, 1)] locations=[0, "
        "0.25]\n");
}
