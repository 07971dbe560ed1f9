#include "platform/preferences/property_list_limits.h"
#include "platform/preferences/property_list_reader.h"
#include "tests/support/temporary_home.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace foundation;

namespace {

// Built with libplist directly, so the reader is checked against the library's own writer.
plist_t sampleNode() {
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
    plist_array_append_item(list, plist_new_uint(7));
    plist_dict_set_item(root, "list", list);
    plist_t inner = plist_new_dict();
    plist_dict_set_item(inner, "empty", plist_new_string(""));
    plist_dict_set_item(root, "inner", inner);
    return root;
}

PropertyListDictionary sampleDictionary() {
    return {{"last_known_path", "/opt/Vantrel Manager/caf\xC3\xA9 \"q\" <&>"},
            {"count", -42},
            {"ratio", 0.1},
            {"enabled", false},
            {"last_opened", PropertyListDate{700000000}},
            {"blob", PropertyListData{std::string("\0\x01\xFF", 3)}},
            {"list", PropertyListArray{"a", 7}},
            {"inner", PropertyListDictionary{{"empty", ""}}}};
}

std::string xmlOf(plist_t node) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node, &bytes, &length);
    std::string text(bytes, length);
    plist_to_xml_free(bytes);
    plist_free(node);
    return text;
}

std::string binaryOf(plist_t node) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node, &bytes, &length);
    std::string data(bytes, length);
    plist_to_bin_free(bytes);
    plist_free(node);
    return data;
}

} // namespace

class PropertyListFiles : public TemporaryHome {
protected:
    std::string write(const std::string& name, std::string_view content) const {
        auto path = home() / name;
        writeFile(path, content);
        return path.string();
    }
};

TEST_F(PropertyListFiles, XMLAndBinaryGiveTheSameDictionary) {
    auto fromXML = dictionaryWithContentsOfFile(write("config.xml", xmlOf(sampleNode())));
    auto fromBinary = dictionaryWithContentsOfFile(write("config.bin", binaryOf(sampleNode())));
    ASSERT_TRUE(fromXML.has_value());
    ASSERT_TRUE(fromBinary.has_value());
    EXPECT_EQ(*fromXML, sampleDictionary());
    EXPECT_EQ(*fromBinary, sampleDictionary());
}

TEST_F(PropertyListFiles, TruncatedListsGiveNone) {
    for (const std::string& whole : {xmlOf(sampleNode()), binaryOf(sampleNode())}) {
        std::size_t end = whole.find_last_not_of('\n') + 1;
        for (std::size_t length :
             {end - 1, end - 8, end - 9, whole.size() * 3 / 4, whole.size() / 2, std::size_t{9}}) {
            std::string error;
            EXPECT_EQ(dictionaryWithContentsOfFile(write("config", whole.substr(0, length)), &error),
                      std::nullopt)
                << length << " of " << whole.size();
            EXPECT_NE(error.find("config"), std::string::npos) << error;
        }
    }
}

TEST_F(PropertyListFiles, FilesThatAreNotPropertyListsGiveNone) {
    for (std::string_view content :
         {std::string_view(""), std::string_view("last_opened = yes\n"), std::string_view("{\"a\": 1}"),
          std::string_view("<plist><dict><key>a</key><string>b</string></dict>"),
          std::string_view("bplist00 and then nothing that makes sense at all here")}) {
        EXPECT_EQ(dictionaryWithContentsOfFile(write("config", content)), std::nullopt) << content;
    }
}

TEST_F(PropertyListFiles, WhatCannotBeReadGivesNoneWithTheFileNamed) {
    std::filesystem::create_directories(home() / "folder");
    std::filesystem::create_symlink(home() / "nowhere", home() / "dangling");
    ::mkfifo((home() / "pipe").c_str(), 0600); // must not be waited on
    for (const char* name : {"folder", "dangling", "missing", "pipe"}) {
        std::string error;
        EXPECT_EQ(dictionaryWithContentsOfFile((home() / name).string(), &error), std::nullopt) << name;
        EXPECT_NE(error.find((home() / name).string()), std::string::npos) << error;
    }
    // Longer than its size says, as a file that grows while it is read.
    std::string error;
    EXPECT_EQ(dictionaryWithContentsOfFile("/proc/self/status", &error), std::nullopt);
    EXPECT_NE(error.find("changed while it was read"), std::string::npos) << error;
}

TEST_F(PropertyListFiles, AnOversizedFileIsRefusedBeforeItIsRead) {
    std::string path = write("huge", xmlOf(sampleNode()));
    ASSERT_EQ(::truncate(path.c_str(), maximumPropertyListFileSize + 1), 0);
    std::string error;
    EXPECT_EQ(dictionaryWithContentsOfFile(path, &error), std::nullopt);
    EXPECT_NE(error.find("larger than"), std::string::npos) << error;
}

TEST_F(PropertyListFiles, AKeyGivenTwiceKeepsItsLastValue) {
    auto dictionary = dictionaryWithContentsOfFile(write(
        "twice",
        "<plist><dict><key>a</key><integer>1</integer><key>a</key><integer>2</integer></dict></plist>"));
    ASSERT_TRUE(dictionary.has_value());
    EXPECT_EQ(*dictionary, (PropertyListDictionary{{"a", 2}}));
}
