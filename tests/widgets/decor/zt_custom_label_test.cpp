#include "platform/appkit/interface/interface_loader.h"
#include "widgets/decor/zt_custom_label.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

std::shared_ptr<ZtCustomLabel> labelWithFont() {
    auto label = View::make<ZtCustomLabel>({0, 0, 200, 60});
    label->setFont(Font::fontWithName("DejaVu Serif", 15));
    return label;
}

TextAlignment alignmentOf(const ZtCustomLabel& label) {
    return label.attributedStringValue().paragraphStyle.value().alignment;
}

} // namespace

TEST(ZtCustomLabel, StylesWithTheFieldsFontNaturalAlignmentAndTighterLetters) {
    auto label = labelWithFont();
    label->setStringValue("Check in");
    const AttributedString& styled = label->attributedStringValue();
    EXPECT_EQ(styled.string, "Check in");
    EXPECT_EQ(styled.font, Font::fontWithName("DejaVu Serif", 15));
    EXPECT_EQ(styled.kern, -0.4);
    EXPECT_EQ(styled.paragraphStyle, ParagraphStyle{});
    EXPECT_FALSE(label->shadow().has_value());
}

TEST(ZtCustomLabel, CharacterSpacingReplacesTheDefaultEvenWhenZero) {
    auto label = labelWithFont();
    label->setEnableCharacterSpacing(true);
    label->setStringValue("a");
    EXPECT_EQ(label->attributedStringValue().kern, 0.0);
    label->setCharacterSpacing(1.5f);
    label->updateString();
    EXPECT_EQ(label->attributedStringValue().kern, 1.5);
}

TEST(ZtCustomLabel, RightBeatsJustifiedBeatsCentred) {
    auto label = labelWithFont();
    label->setIsCenter(true);
    label->setStringValue("a");
    EXPECT_EQ(alignmentOf(*label), TextAlignment::center);
    label->setIsJustified(true);
    label->updateString();
    EXPECT_EQ(alignmentOf(*label), TextAlignment::justified);
    label->setIsRight(true);
    label->updateString();
    EXPECT_EQ(alignmentOf(*label), TextAlignment::right);
    label->setIsJustified(false);
    label->updateString();
    EXPECT_EQ(alignmentOf(*label), TextAlignment::right);
}

TEST(ZtCustomLabel, FixesTheLineHeightAndSpacingOnlyWhenEnabled) {
    auto label = labelWithFont();
    label->setLineHeight(20);
    label->setLineSpacing(3);
    label->setStringValue("a");
    EXPECT_EQ(label->attributedStringValue().paragraphStyle, ParagraphStyle{});
    label->setEnableLineHeight(true);
    label->setEnableLineSpacing(true);
    label->updateString();
    ParagraphStyle style = *label->attributedStringValue().paragraphStyle;
    EXPECT_EQ(style.lineHeightMultiple, 20);
    EXPECT_EQ(style.minimumLineHeight, 20);
    EXPECT_EQ(style.maximumLineHeight, 20);
    EXPECT_EQ(style.lineSpacing, 3);
}

TEST(ZtCustomLabel, AShadowOnceSetStays) {
    auto label = labelWithFont();
    label->setIsShadow(true);
    label->setStringValue("a");
    ASSERT_TRUE(label->shadow().has_value());
    EXPECT_EQ(label->shadow()->shadowColor, quartz::Color(0, 0, 0, 0.20000000298023224));
    EXPECT_EQ(label->shadow()->shadowOffset, (quartz::Size{0, 2}));
    EXPECT_EQ(label->shadow()->shadowBlurRadius, 4);
    label->setIsShadow(false);
    label->setStringValue("b");
    EXPECT_TRUE(label->shadow().has_value());
}

TEST(ZtCustomLabel, ALabelWithoutAFontUsesTheSystemFont) {
    auto label = View::make<ZtCustomLabel>({0, 0, 100, 20});
    label->setStringValue("a");
    EXPECT_EQ(label->attributedStringValue().font, Font::systemFontOfSize(Font::systemFontSize));
}

TEST(ZtCustomLabel, AnInterfaceFileGetsItStyledOnWaking) {
    std::string error;
    auto loaded = loadInterfaceData(R"({"objects": [{"id": "label", "class": "ZtCustomLabel",
        "attributes": {"frame": [0, 0, 200, 40], "string": "Hello", "wraps": true},
        "properties": {"isRight": true, "enableCharacterSpacing": true, "characterSpacing": 2}}]})",
                                    "label.json", {}, nullptr, &error);
    ASSERT_TRUE(loaded) << error;
    auto label = std::dynamic_pointer_cast<ZtCustomLabel>(loaded->objectWithId("label"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->attributedStringValue().string, "Hello");
    EXPECT_EQ(alignmentOf(*label), TextAlignment::right);
    EXPECT_EQ(label->attributedStringValue().kern, 2.0);
}
