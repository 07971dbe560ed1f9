#include "platform/preferences/property_list_reader.h"
#include "platform/preferences/property_list_writer.h"

#include <gtest/gtest.h>

using namespace foundation;

TEST(PropertyListWriter, XMLReadsBackUnchanged) {
    PropertyListDictionary dictionary{
        {"text", "tab\there, line\nbreak, \"quotes\" 'single' <tag> & caf\xC3\xA9 \xF0\x9F\x99\x82"},
        {"key with <&> and \xC3\xA9", true},
        {"negative", -9223372036854775807LL - 1},
        {"large", 9223372036854775807LL},
        {"tiny", 1e-300},
        {"third", 1.0 / 3},
        {"no", false},
        {"date", PropertyListDate{-31536000}},
        {"data", PropertyListData{std::string("\0\x01\x02\xFE\xFF", 5)}},
        {"nested", PropertyListArray{PropertyListDictionary{{"deep", PropertyListArray{}}}, ""}},
        {"empty", PropertyListDictionary{}}};
    auto xml = xmlDataWithPropertyList(dictionary);
    ASSERT_TRUE(xml.has_value());
    EXPECT_TRUE(xml->starts_with("<?xml")) << *xml;
    EXPECT_EQ(propertyListWithData(*xml), PropertyListValue(dictionary)) << *xml;
}

TEST(PropertyListWriter, RefusesTextXMLCannotCarryNamingTheKey) {
    for (std::string bad : {std::string("bell\x07"), std::string("nul\0inside", 10), std::string("\xC3\x28"),
                            std::string("return\r")}) {
        std::string error;
        PropertyListDictionary dictionary{{"outer", PropertyListDictionary{{"inner", bad}}}};
        EXPECT_EQ(xmlDataWithPropertyList(dictionary, &error), std::nullopt);
        EXPECT_NE(error.find("\"outer.inner\""), std::string::npos) << error;
    }
    std::string error;
    EXPECT_EQ(xmlDataWithPropertyList(PropertyListDictionary{{"bad\x01key", 1}}, &error), std::nullopt);
    EXPECT_NE(error.find("key"), std::string::npos) << error;
}

TEST(PropertyListWriter, RefusesDatesLibplistCannotStore) {
    std::string error;
    EXPECT_EQ(xmlDataWithPropertyList(PropertyListDictionary{{"when", PropertyListDate{4e9}}}, &error),
              std::nullopt);
    EXPECT_NE(error.find("\"when\""), std::string::npos) << error;
}
