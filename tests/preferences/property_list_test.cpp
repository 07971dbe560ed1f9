#include "platform/preferences/property_list_guard.h"
#include "platform/preferences/property_list_limits.h"
#include "platform/preferences/property_list_reader.h"
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

const PropertyListDictionary libplistSample{
    // every kind of value, text needing escapes, an unsigned integer read as signed
    {"last_known_path", "/opt/Vantrel Manager/caf\xC3\xA9 \"q\" <&>"},
    {"count", -42},
    {"ratio", 0.1},
    {"enabled", false},
    {"last_opened", PropertyListDate{700000000}},
    {"blob", PropertyListData{"\0\x01\xFF"s}},
    {"list", PropertyListArray{"a", PropertyListDictionary{}}}};

std::string bigEndian(std::uint64_t value, int width) {
    std::string bytes;
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
        bytes += char((value >> shift) & 0xFF);
    return bytes;
}

// Binary lists put together object by object (references and offsets 4 bytes wide), so that
// tests can make shapes no writer would: cycles, shared objects, deep chains.
struct BinaryList {
    std::vector<std::string> objects;
    std::uint32_t add(std::string object) {
        objects.push_back(std::move(object));
        return static_cast<std::uint32_t>(objects.size() - 1);
    }
    static std::string array(const std::vector<std::uint32_t>& references) {
        std::string object(1, char(0xA0 + references.size()));
        for (auto reference : references)
            object += bigEndian(reference, 4);
        return object;
    }
    // Arrays nested `depth` deep around `inner`.
    std::uint32_t chain(std::uint32_t inner, std::size_t depth) {
        for (std::size_t level = 0; level < depth; ++level)
            inner = add(array({inner}));
        return inner;
    }
    std::string build(std::uint32_t root) const {
        std::string bytes = "bplist00", table;
        for (const auto& object : objects) {
            table += bigEndian(bytes.size(), 4);
            bytes += object;
        }
        std::uint64_t tableOffset = bytes.size();
        return bytes + table + std::string(6, '\0') + "\x04\x04" + bigEndian(objects.size(), 8) +
               bigEndian(root, 8) + bigEndian(tableOffset, 8);
    }
};

std::string binaryChain(std::size_t depth) {
    BinaryList list;
    return list.build(list.chain(list.add("\x51x"), depth));
}

std::string binaryDictionary(const std::string& key) {
    BinaryList list;
    std::uint32_t keyObject = list.add(key), value = list.add("\x09");
    return list.build(list.add("\xD1"s + bigEndian(keyObject, 4) + bigEndian(value, 4)));
}

std::string xmlChain(std::size_t depth, const std::string& between = "") {
    std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (std::size_t level = 0; level < depth; ++level)
        xml += "<array>" + between;
    for (std::size_t level = 0; level < depth; ++level)
        xml += "</array>";
    return xml + "</plist>";
}

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

// Cut short anywhere, no property list or no dictionary at all, or no readable file: none, with
// the file named.
TEST_F(PropertyListFiles, WhatIsNotAWholePropertyListDictionaryGivesNone) {
    std::vector<std::string> contents = {// neither XML nor binary, or not a dictionary
                                         "",
                                         "last_opened = yes\n",
                                         "{\"a\": 1}",
                                         "<plist><dict><key>a</key><string>b</string></dict>",
                                         "<?xml version=\"1.0\"?><plist><array/></plist>",
                                         "bplist00 and then nothing that makes sense at all"};
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

// Far deeper than any stack would survive inside libplist is refused; empty containers do not
// nest, and close tags that libplist skips do not hide nesting.
TEST(PropertyListGuard, NestingUpToTheLimitIsReadAndDeeperRefused) {
    EXPECT_NE(propertyListWithData(binaryChain(maximumPropertyListDepth - 1)).value().array(), nullptr);
    EXPECT_NE(propertyListWithData(xmlChain(maximumPropertyListDepth)).value().array(), nullptr);
    EXPECT_EQ(propertyListWithData(binaryChain(200000)), std::nullopt);
    EXPECT_EQ(propertyListWithData(xmlChain(250000)), std::nullopt);
    EXPECT_EQ(propertyListWithData(binaryDictionary("\x52ok")),
              PropertyListValue(PropertyListDictionary{{"ok", true}}));
    std::string empties = "<plist><array>";
    for (std::size_t i = 0; i < 2 * maximumPropertyListDepth; ++i)
        empties += "<array/><dict/>";
    EXPECT_TRUE(xmlPropertyListIsWithinLimits(empties + "</array></plist>", nullptr));
    for (const char* between : {"", "<!-- </array> -->", "</dict>", "<![CDATA[</array>]]>"}) {
        std::string reason;
        EXPECT_FALSE(xmlPropertyListIsWithinLimits(xmlChain(maximumPropertyListDepth + 1, between), &reason));
        EXPECT_NE(reason.find("deeper"), std::string::npos) << reason;
    }
}

// Shapes that would crash, stall or abort libplist are refused before it sees them.
TEST(PropertyListGuard, HostileBinaryShapesAreRefused) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {binaryChain(maximumPropertyListDepth + 1), "deeper"}};
    BinaryList cycle;
    std::uint32_t first = cycle.add("");
    std::uint32_t second = cycle.add(BinaryList::array({first}));
    cycle.objects[first] = BinaryList::array({second});
    cases.emplace_back(cycle.build(first), "contains itself");
    BinaryList doubling; // each level refers to the next twice: 2^40 values once copied out
    std::uint32_t inner = doubling.add("\x51x");
    for (int level = 0; level < 40; ++level)
        inner = doubling.add(BinaryList::array({inner, inner}));
    cases.emplace_back(doubling.build(inner), "more than");
    BinaryList shared; // a chain first met near the root, then below a second chain: the copy is deeper
    std::uint32_t near = shared.chain(shared.add("\x51x"), 300);
    cases.emplace_back(shared.build(shared.add(BinaryList::array({near, shared.chain(near, 300)}))),
                       "deeper");
    for (const auto& key : {"\x53\x61\0b"s, "\x62\0a\0\0"s, "\x10\x01"s})
        cases.emplace_back(binaryDictionary(key), "key");
    // A trailer byte spoilt: offset size, reference size, object count, root, table offset.
    const std::pair<int, char> spoilt[] = {{26, 0}, {25, 9}, {17, 0x7F}, {9, 0x7F}, {1, 0x7F}};
    for (auto [fromEnd, value] : spoilt) {
        std::string bytes = binaryChain(3);
        bytes[bytes.size() - fromEnd] = value;
        cases.emplace_back(bytes, "");
    }
    cases.emplace_back(binaryChain(3).substr(0, 30), "");
    for (const auto& [bytes, expected] : cases) {
        std::string reason;
        EXPECT_FALSE(binaryPropertyListIsWithinLimits(bytes, &reason)) << expected;
        EXPECT_NE(reason.find(expected), std::string::npos) << reason;
        EXPECT_EQ(propertyListWithData(bytes), std::nullopt) << expected;
    }
}
