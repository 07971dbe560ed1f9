#include "platform/preferences/property_list_guard.h"
#include "platform/preferences/property_list_limits.h"
#include "platform/preferences/property_list_reader.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace foundation;

namespace {

// Binary lists put together object by object, so that tests can make shapes no writer would:
// cycles, shared objects, deep chains. References are 4 bytes, offsets 4 bytes.
class BinaryListBuilder {
public:
    std::uint32_t add(std::string object) {
        objects_.push_back(std::move(object));
        return static_cast<std::uint32_t>(objects_.size() - 1);
    }
    std::uint32_t addString(const std::string& text) {
        return add(std::string(1, char(0x50 + text.size())) + text);
    }
    static std::string array(const std::vector<std::uint32_t>& references) {
        std::string object;
        if (references.size() < 15) {
            object += char(0xA0 + references.size());
        } else {
            object += char(0xAF);
            object += char(0x12);
            append(object, references.size(), 4);
        }
        for (auto reference : references)
            append(object, reference, 4);
        return object;
    }
    static std::string dictionary(std::uint32_t key, std::uint32_t value) {
        std::string object(1, char(0xD1));
        append(object, key, 4);
        append(object, value, 4);
        return object;
    }
    void replace(std::uint32_t index, std::string object) { objects_[index] = std::move(object); }

    std::string build(std::uint32_t root) const {
        std::string bytes = "bplist00";
        std::vector<std::uint64_t> offsets;
        for (const auto& object : objects_) {
            offsets.push_back(bytes.size());
            bytes += object;
        }
        std::uint64_t table = bytes.size();
        for (auto offset : offsets)
            append(bytes, offset, 4);
        bytes += std::string(6, '\0');
        bytes += char(4);
        bytes += char(4);
        append(bytes, objects_.size(), 8);
        append(bytes, root, 8);
        append(bytes, table, 8);
        return bytes;
    }

private:
    static void append(std::string& bytes, std::uint64_t value, int width) {
        for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
            bytes += char((value >> shift) & 0xFF);
    }

    std::vector<std::string> objects_;
};

// Arrays nested `depth` deep (the outermost first), a string innermost.
std::string binaryChain(std::size_t depth) {
    BinaryListBuilder builder;
    std::uint32_t inner = builder.addString("x");
    for (std::size_t level = 0; level < depth; ++level)
        inner = builder.add(BinaryListBuilder::array({inner}));
    return builder.build(inner);
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

TEST(BinaryPropertyListGuard, NestingUpToTheLimitIsReadAndDeeperRefused) {
    auto value = propertyListWithData(binaryChain(maximumPropertyListDepth - 1));
    ASSERT_TRUE(value.has_value());
    EXPECT_NE(value->array(), nullptr);
    std::string reason;
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(binaryChain(maximumPropertyListDepth + 1), &reason));
    EXPECT_NE(reason.find("deeper"), std::string::npos) << reason;
    // Far deeper than any stack would survive inside libplist.
    EXPECT_EQ(propertyListWithData(binaryChain(200000)), std::nullopt);
}

TEST(BinaryPropertyListGuard, AnObjectThatContainsItselfIsRefused) {
    BinaryListBuilder builder;
    std::uint32_t first = builder.add("");
    std::uint32_t second = builder.add(BinaryListBuilder::array({first}));
    builder.replace(first, BinaryListBuilder::array({second}));
    std::string reason;
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(builder.build(first), &reason));
    EXPECT_NE(reason.find("contains itself"), std::string::npos) << reason;
}

TEST(BinaryPropertyListGuard, SharedObjectsThatMultiplyPastTheLimitAreRefused) {
    // Each level refers to the next one twice: 2^40 values once copied out.
    BinaryListBuilder builder;
    std::uint32_t inner = builder.addString("x");
    for (int level = 0; level < 40; ++level)
        inner = builder.add(BinaryListBuilder::array({inner, inner}));
    std::string reason;
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(builder.build(inner), &reason));
    EXPECT_NE(reason.find("values"), std::string::npos) << reason;
}

TEST(BinaryPropertyListGuard, ASharedChainReachedDeeperStillCountsItsDepth) {
    // A chain first met near the root, then again below a second chain: the copy is deeper.
    BinaryListBuilder builder;
    std::uint32_t inner = builder.addString("x");
    for (std::size_t level = 0; level < 300; ++level)
        inner = builder.add(BinaryListBuilder::array({inner}));
    std::uint32_t second = inner;
    for (std::size_t level = 0; level < 300; ++level)
        second = builder.add(BinaryListBuilder::array({second}));
    std::uint32_t root = builder.add(BinaryListBuilder::array({inner, second}));
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(builder.build(root), nullptr));
}

TEST(BinaryPropertyListGuard, KeysHoldingNulAreRefusedRatherThanAbortingLibplist) {
    for (std::string key : {std::string("\x53"
                                        "a\0b",
                                        4),
                            std::string("\x62\0a\0\0", 5), std::string("\x10\x01")}) {
        BinaryListBuilder builder;
        std::uint32_t keyObject = builder.add(key);
        std::uint32_t value = builder.add(std::string(1, char(0x09)));
        std::string bytes = builder.build(builder.add(BinaryListBuilder::dictionary(keyObject, value)));
        std::string reason;
        EXPECT_FALSE(binaryPropertyListIsWithinLimits(bytes, &reason));
        EXPECT_NE(reason.find("key"), std::string::npos) << reason;
        EXPECT_EQ(propertyListWithData(bytes), std::nullopt);
    }
    BinaryListBuilder builder;
    std::uint32_t key = builder.addString("ok");
    std::uint32_t value = builder.add(std::string(1, char(0x09)));
    auto read = propertyListWithData(builder.build(builder.add(BinaryListBuilder::dictionary(key, value))));
    EXPECT_EQ(read, PropertyListValue(PropertyListDictionary{{"ok", true}}));
}

TEST(BinaryPropertyListGuard, BrokenTablesAreRefused) {
    std::string good = binaryChain(3);
    ASSERT_TRUE(binaryPropertyListIsWithinLimits(good, nullptr));
    auto withTrailerByte = [&](std::size_t fromEnd, char value) {
        std::string bytes = good;
        bytes[bytes.size() - fromEnd] = value;
        return bytes;
    };
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(withTrailerByte(26, 0), nullptr)) << "offset size 0";
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(withTrailerByte(25, 9), nullptr)) << "reference size 9";
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(withTrailerByte(17, 0x7F), nullptr)) << "object count";
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(withTrailerByte(9, 0x7F), nullptr)) << "root";
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(withTrailerByte(1, 0x7F), nullptr)) << "table offset";
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(good.substr(0, 30), nullptr));
}

TEST(XMLPropertyListGuard, NestingUpToTheLimitIsReadAndDeeperRefused) {
    auto value = propertyListWithData(xmlChain(maximumPropertyListDepth));
    ASSERT_TRUE(value.has_value());
    EXPECT_NE(value->array(), nullptr);
    std::string empties = "<plist><array>"; // empty containers do not nest
    for (std::size_t i = 0; i < 2 * maximumPropertyListDepth; ++i)
        empties += "<array/><dict/>";
    EXPECT_TRUE(xmlPropertyListIsWithinLimits(empties + "</array></plist>", nullptr));
    std::string reason;
    EXPECT_FALSE(xmlPropertyListIsWithinLimits(xmlChain(maximumPropertyListDepth + 1), &reason));
    EXPECT_NE(reason.find("deeper"), std::string::npos) << reason;
    // libplist itself would run out of stack freeing this.
    EXPECT_EQ(propertyListWithData(xmlChain(250000)), std::nullopt);
}

TEST(XMLPropertyListGuard, CloseTagsThatLibplistSkipsDoNotHideNesting) {
    std::size_t depth = maximumPropertyListDepth + 1;
    EXPECT_FALSE(xmlPropertyListIsWithinLimits(xmlChain(depth, "<!-- </array> -->"), nullptr));
    EXPECT_FALSE(xmlPropertyListIsWithinLimits(xmlChain(depth, "</dict>"), nullptr));
    EXPECT_FALSE(xmlPropertyListIsWithinLimits(xmlChain(depth, "<![CDATA[</array>]]>"), nullptr));
}
