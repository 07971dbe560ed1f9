#include "platform/foundation/clock.h"
#include "platform/quartz/basic_animation.h"
#include "platform/quartz/gradient_layer.h"
#include "platform/quartz/layer_tree_description.h"
#include "platform/quartz/shape_layer.h"
#include "platform/quartz/text_layer.h"

#include <gtest/gtest.h>

using namespace quartz;

TEST(LayerTreeDescription, ListsChangedPropertiesAnimationsAndIndentsSublayersAndMask) {
    foundation::ScopedManualClock clock;
    auto root = Layer::layer();
    root->setFrame(Rect(0, 0, 100, 40));
    root->setBackgroundColor(Color(1, 0, 0, 1));
    root->setOpacity(0.5f);
    root->setGeometryFlipped(true);
    root->setContentsScale(2);
    auto fade = BasicAnimation::animationWithKeyPath("backgroundColor");
    fade.setToValue(LayerValue(Color(1.0 / 3, 0, 0, 1)));
    fade.setDuration(0.1);
    fade.setFillMode(BasicAnimation::FillMode::forwards);
    clock->advance(0.25);
    root->addAnimation(fade, "backgroundColor");
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

    double start = clock->now() - 0.25;
    EXPECT_EQ(describeTree(*root, {.timeOrigin = start, .now = start + 0.3, .indent = 1}),
              " Layer frame=(0, 0, 100, 40) position=(50, 20) anchor=(0.5, 0.5) scale=2 geometryFlipped=true "
              "backgroundColor=rgba(1, 0, 0, 1) opacity=0.5\n"
              "   animation backgroundColor from=none to=rgba(0.3333, 0, 0, 1) begin=0.25 duration=0.1 "
              "fill=forwards removedOnCompletion running\n"
              "   mask: ShapeLayer frame=(0, 0, 100, 40) position=(50, 20) anchor=(0.5, 0.5) scale=1 "
              "fillColor=none\n"
              "   TextLayer frame=(10, 10, 80, 20) position=(50, 20) anchor=(0.5, 0.5) scale=1 string=\"OK\" "
              "font=\"" +
                  TextLayer::layer()->font() +
                  "\" fontSize=12 foregroundColor=rgba(1, 1, 1, 1) alignmentMode=center\n"
                  "     GradientLayer frame=(0, 0, 0, 0) position=(0, 0) anchor=(0.5, 0.5) scale=1 "
                  "colors=[rgba(0, 0, 0, 1), rgba(1, 1, 1, 1)] locations=[0, 0.25] startPoint=(0.5, 0) "
                  "endPoint=(0.5, 1)\n");
}

TEST(LayerTreeDescription, WritesNumbersWithAtMostFourDecimalsAndNoNegativeZero) {
    EXPECT_EQ(describeNumber(2), "2");
    EXPECT_EQ(describeNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(describeNumber(-1e-9), "0");
    EXPECT_EQ(describeNumber(-12.34567), "-12.3457");
}
