#include "host/frame_reader.h"
#include "tests/host/host_fixture.h"

#include <gtest/gtest.h>

using foundation::ByteView;
using Kind = FrameReader::Frame::Kind;

namespace {

// Every complete message the reader gives for the bytes appended so far.
std::vector<std::string> drain(FrameReader& reader) {
    std::vector<std::string> messages;
    while (auto next = reader.nextFrame())
        messages.push_back(next->kind == Kind::message ? next->message : "<too long>");
    return messages;
}

} // namespace

TEST(FrameReader, CutsTheMessageByItsLittleEndianLength) {
    FrameReader reader;
    reader.append(ByteView(std::string("\x0B\0\0\0{\"url\":\"x\"}", 15)));
    EXPECT_EQ(drain(reader), std::vector<std::string>{"{\"url\":\"x\"}"});
}

TEST(FrameReader, ReadsTheFullThirtyTwoBitLength) {
    for (std::size_t size : {200u, 1000u, 70000u}) {
        FrameReader reader;
        std::string message(size, 'm');
        reader.append(ByteView(frame(message)));
        EXPECT_EQ(drain(reader), std::vector<std::string>{message}) << size;
    }
}

TEST(FrameReader, HandsOutEveryFrameOfOneReadInOrder) {
    FrameReader reader;
    reader.append(ByteView(frame("first") + frame("") + frame("third")));
    EXPECT_EQ(drain(reader), (std::vector<std::string>{"first", "", "third"}));
    EXPECT_EQ(reader.bufferedSize(), 0u);
}

TEST(FrameReader, GathersFramesSplitAtEveryBytePosition) {
    std::string stream = frame("{\"options\":true}") + frame("{\"url\":\"https://a.example/\"}");
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        FrameReader reader;
        reader.append(ByteView(std::string_view(stream).substr(0, cut)));
        auto messages = drain(reader);
        reader.append(ByteView(std::string_view(stream).substr(cut)));
        for (auto& message : drain(reader))
            messages.push_back(message);
        EXPECT_EQ(messages,
                  (std::vector<std::string>{"{\"options\":true}", "{\"url\":\"https://a.example/\"}"}))
            << "cut at " << cut;
    }
}

TEST(FrameReader, GathersAFrameDeliveredOneByteAtATime) {
    std::string stream = frame("{\"options\":1}");
    FrameReader reader;
    std::vector<std::string> messages;
    for (char byte : stream) {
        reader.append(ByteView(std::string_view(&byte, 1)));
        for (auto& message : drain(reader))
            messages.push_back(message);
    }
    EXPECT_EQ(messages, std::vector<std::string>{"{\"options\":1}"});
}

TEST(FrameReader, RefusesALengthAboveTheBrowserLimitAndStartsAfresh) {
    FrameReader reader;
    reader.append(ByteView(lengthPrefix(FrameReader::maximumMessageLength + 1) + "some of the body"));
    EXPECT_EQ(drain(reader), std::vector<std::string>{"<too long>"});
    EXPECT_EQ(reader.bufferedSize(), 0u);
    reader.append(ByteView(frame("next")));
    EXPECT_EQ(drain(reader), std::vector<std::string>{"next"});
}

TEST(FrameReader, WaitsForTheBodyOfTheLargestAllowedLength) {
    FrameReader reader;
    reader.append(ByteView(lengthPrefix(FrameReader::maximumMessageLength) + "partial"));
    EXPECT_TRUE(drain(reader).empty());
    EXPECT_EQ(reader.bufferedSize(), 4u + 7u);
}
