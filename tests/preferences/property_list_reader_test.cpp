#include "platform/preferences/property_list_limits.h"
#include "platform/preferences/property_list_reader.h"
#include "platform/preferences/property_list_writer.h"
#include "tests/support/temporary_home.h"

#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace foundation;
using namespace std::string_literals;

namespace {

// Written by libplist itself, so the reader is checked against the library's own writer.
std::string libplistBytes(bool binary) {
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "last_known_path",
                        plist_new_string("/opt/Vantrel Manager/caf\xC3\xA9 \"q\" <&>"));
    plist_dict_set_item(root, "count", plist_new_uint(static_cast<std::uint64_t>(-42)));
    plist_dict_set_item(root, "ratio", plist_new_real(0.1));
    plist_dict_set_item(root, "enabled", plist_new_bool(0));
    plist_dict_set_item(root, "last_opened", plist_new_date(700000000, 0));
    plist_dict_set_item(root, "blob", plist_new_data("\0\x01\xFF", 3));
    plist_t list = plist_new_array();
    plist_array_append_item(list, plist_new_string("a"));
    plist_array_append_item(list, plist_new_dict());
    plist_dict_set_item(root, "list", list);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    (binary ? plist_to_bin : plist_to_xml)(root, &bytes, &length);
    std::string text(bytes, length);
    std::free(bytes);
    plist_free(root);
    return text;
}

const PropertyListDictionary libplistSample{{"last_known_path", "/opt/Vantrel Manager/caf\xC3\xA9 \"q\" <&>"},
                                            {"count", -42},
                                            {"ratio", 0.1},
                                            {"enabled", false},
                                            {"last_opened", PropertyListDate{700000000}},
                                            {"blob", PropertyListData{"\0\x01\xFF"s}},
                                            {"list", PropertyListArray{"a", PropertyListDictionary{}}}};

} // namespace

class PropertyListFiles : public TemporaryHome {
protected:
    std::string write(std::string_view content) const {
        writeFile(home() / "config", content);
        return (home() / "config").string();
    }
};

TEST_F(PropertyListFiles, XMLAndBinaryGiveTheSameDictionary) {
    EXPECT_EQ(dictionaryWithContentsOfFile(write(libplistBytes(false))), libplistSample);
    EXPECT_EQ(dictionaryWithContentsOfFile(write(libplistBytes(true))), libplistSample);
}

// Cut short anywhere, or no property list (or no dictionary) at all: none, with the file named.
TEST_F(PropertyListFiles, WhatIsNotAWholePropertyListDictionaryGivesNone) {
    std::vector<std::string> contents = {"",
                                         "last_opened = yes\n",
                                         "{\"a\": 1}",
                                         "<plist><dict><key>a</key><string>b</string></dict>",
                                         "<?xml version=\"1.0\"?><plist><array/></plist>",
                                         "bplist00 and then nothing that makes sense at all here"};
    for (const std::string& whole : {libplistBytes(false), libplistBytes(true)}) {
        std::size_t end = whole.find_last_not_of('\n') + 1;
        for (std::size_t length : {end - 1, end - 8, end - 9, whole.size() / 2, std::size_t{9}})
            contents.push_back(whole.substr(0, length));
    }
    for (const auto& content : contents) {
        std::string error;
        EXPECT_EQ(dictionaryWithContentsOfFile(write(content), &error), std::nullopt) << content;
        EXPECT_NE(error.find((home() / "config").string()), std::string::npos) << error;
    }
}

TEST_F(PropertyListFiles, WhatCannotBeReadGivesNoneWithTheFileNamed) {
    std::filesystem::create_directories(home() / "folder");
    std::filesystem::create_symlink(home() / "nowhere", home() / "dangling");
    ::mkfifo((home() / "pipe").c_str(), 0600); // must not be waited on
    ASSERT_EQ(::truncate(write(libplistBytes(false)).c_str(), maximumPropertyListFileSize + 1), 0);
    for (const char* name : {"folder", "dangling", "missing", "pipe", "config"}) {
        std::string error;
        EXPECT_EQ(dictionaryWithContentsOfFile((home() / name).string(), &error), std::nullopt) << name;
        EXPECT_NE(error.find((home() / name).string()), std::string::npos) << error;
    }
    // Longer than its size says, as a file that grows while it is read.
    std::string error;
    EXPECT_EQ(dictionaryWithContentsOfFile("/proc/self/status", &error), std::nullopt);
    EXPECT_NE(error.find("changed while it was read"), std::string::npos) << error;
}

TEST(PropertyListWriter, XMLReadsBackUnchanged) {
    PropertyListDictionary dictionary{
        {"text", "tab\there, line\nbreak, \"quotes\" 'single' <tag> & caf\xC3\xA9 \xF0\x9F\x99\x82"},
        {"key with <&> and \xC3\xA9", true},
        {"extremes", PropertyListArray{-9223372036854775807LL - 1, 9223372036854775807LL, 1e-300, 1.0 / 3}},
        {"date", PropertyListDate{-31536000}},
        {"data", PropertyListData{"\0\x01\x02\xFE\xFF"s}},
        {"nested", PropertyListArray{PropertyListDictionary{{"deep", PropertyListArray{}}}, ""}}};
    auto xml = xmlDataWithPropertyList(dictionary);
    ASSERT_TRUE(xml.has_value());
    EXPECT_TRUE(xml->starts_with("<?xml")) << *xml;
    EXPECT_EQ(propertyListWithData(*xml), PropertyListValue(dictionary)) << *xml;
}

// Text XML cannot carry, a key among it, and dates libplist cannot store are refused by name.
TEST(PropertyListWriter, RefusesWhatXMLCannotCarryNamingTheKey) {
    const std::pair<PropertyListValue, std::string> cases[] = {
        {"bell\x07", "\"outer.inner\""},
        {"nul\0inside"s, "\"outer.inner\""},
        {"\xC3\x28", "\"outer.inner\""},
        {"return\r", "\"outer.inner\""},
        {PropertyListDate{4e9}, "\"outer.inner\""},
        {PropertyListDictionary{{"bad\x01key", 1}}, "key"}};
    for (const auto& [value, named] : cases) {
        std::string error;
        EXPECT_EQ(xmlDataWithPropertyList(
                      PropertyListDictionary{{"outer", PropertyListDictionary{{"inner", value}}}}, &error),
                  std::nullopt);
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
}
