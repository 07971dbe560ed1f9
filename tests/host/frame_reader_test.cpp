#include "host/frame_reader.h"
#include "platform/foundation/data.h"
#include "tests/host/host_fixture.h"

#include <gtest/gtest.h>

using foundation::ByteView;
using Kind = FrameReader::Kind;

namespace {

// The bytes as one read after another, each as large as the reader has room for.
void append(FrameReader& reader, ByteView bytes) {
    while (!bytes.empty()) {
        std::span<char> room = reader.space();
        std::size_t taken = std::min(room.size(), bytes.size());
        std::copy_n(bytes.data(), taken, room.data());
        if (!reader.commit(taken))
            return;
        bytes.remove_prefix(taken);
    }
}

struct Frame {
    Kind kind;
    std::string message;
};

std::optional<Frame> nextFrame(FrameReader& reader) {
    auto frame = reader.nextFrameInPlace();
    if (!frame)
        return std::nullopt;
    return Frame{frame->kind, std::string(frame->message.data(), frame->message.size())};
}

// Every complete message the reader gives for the bytes appended so far.
std::vector<std::string> drain(FrameReader& reader) {
    std::vector<std::string> messages;
    while (auto next = nextFrame(reader))
        messages.push_back(next->kind == Kind::message ? next->message : "<too long>");
    return messages;
}

} // namespace

TEST(FrameReader, CutsTheMessageByItsLittleEndianLength) {
    FrameReader reader;
    append(reader, ByteView(std::string("\x0B\0\0\0{\"url\":\"x\"}", 15)));
    EXPECT_EQ(drain(reader), std::vector<std::string>{"{\"url\":\"x\"}"});
}

TEST(FrameReader, ReadsTheFullThirtyTwoBitLength) {
    for (std::size_t size : {200u, 1000u, 70000u}) {
        FrameReader reader;
        std::string message(size, 'm');
        append(reader, ByteView(frame(message)));
        EXPECT_EQ(drain(reader), std::vector<std::string>{message}) << size;
    }
}

TEST(FrameReader, HandsOutEveryFrameOfOneReadInOrder) {
    FrameReader reader;
    append(reader, ByteView(frame("first") + frame("") + frame("third")));
    EXPECT_EQ(drain(reader), (std::vector<std::string>{"first", "", "third"}));
    EXPECT_EQ(reader.bufferedSize(), 0u);
}

TEST(FrameReader, GathersFramesSplitAtEveryBytePosition) {
    std::string stream = frame("{\"options\":true}") + frame("{\"url\":\"https://a.example/\"}");
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        FrameReader reader;
        append(reader, ByteView(std::string_view(stream).substr(0, cut)));
        auto messages = drain(reader);
        append(reader, ByteView(std::string_view(stream).substr(cut)));
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
        append(reader, ByteView(std::string_view(&byte, 1)));
        for (auto& message : drain(reader))
            messages.push_back(message);
    }
    EXPECT_EQ(messages, std::vector<std::string>{"{\"options\":1}"});
}

TEST(FrameReader, RefusesALengthAboveTheBrowserLimitAndStartsAfresh) {
    FrameReader reader;
    append(reader, ByteView(lengthPrefix(FrameReader::maximumMessageLength + 1) + "some of the body"));
    EXPECT_EQ(drain(reader), std::vector<std::string>{"<too long>"});
    EXPECT_EQ(reader.bufferedSize(), 0u);
    append(reader, ByteView(frame("next")));
    EXPECT_EQ(drain(reader), std::vector<std::string>{"next"});
}

TEST(FrameReader, WaitsForTheBodyOfTheLargestAllowedLength) {
    FrameReader reader;
    append(reader, ByteView(lengthPrefix(FrameReader::maximumMessageLength) + "partial"));
    EXPECT_TRUE(drain(reader).empty());
    EXPECT_EQ(reader.bufferedSize(), 4u + 7u);
}

TEST(FrameReaderInPlace, HandsOutEachMessageWhereItLiesFollowedByANul) {
    FrameReader reader;
    std::string stream = frame("{\"options\":1}") + frame("{\"url\":\"x\"}");
    std::span<char> space = reader.space();
    ASSERT_GE(space.size(), stream.size());
    std::copy(stream.begin(), stream.end(), space.begin());
    ASSERT_TRUE(reader.commit(stream.size()));
    auto first = reader.nextFrameInPlace();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->message.data(), space.data() + 4);
    EXPECT_EQ(std::string_view(first->message.data(), first->message.size()), "{\"options\":1}");
    EXPECT_EQ(first->message.data()[first->message.size()], '\0');
    // The NUL lay on the next frame's length, which must be whole again.
    auto second = reader.nextFrameInPlace();
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(std::string_view(second->message.data(), second->message.size()), "{\"url\":\"x\"}");
    EXPECT_EQ(second->message.data()[second->message.size()], '\0');
    EXPECT_FALSE(reader.nextFrameInPlace().has_value());
}

TEST(FrameReaderInPlace, MakesRoomForTheWholeMessageOnceItsLengthIsKnown) {
    FrameReader reader;
    const std::string message(std::size_t{3} << 20, 'm');
    std::string stream = frame(message);
    std::span<char> space = reader.space();
    std::copy_n(stream.begin(), 10, space.begin());
    ASSERT_TRUE(reader.commit(10));
    space = reader.space();
    ASSERT_GE(space.size(), stream.size() - 10);
    std::copy(stream.begin() + 10, stream.end(), space.begin());
    ASSERT_TRUE(reader.commit(stream.size() - 10));
    auto frame = nextFrame(reader);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->message, message);
    // Handled, the large message's room is given back.
    EXPECT_LT(reader.space().size(), std::size_t{1} << 20);
}

TEST(FrameReaderInPlace, ARefusedLengthMakesNoRoomAndDropsTheRestOfTheRead) {
    FrameReader reader;
    std::string stream = frame("first") + lengthPrefix(FrameReader::maximumMessageLength + 1) + frame("lost");
    std::span<char> space = reader.space();
    std::copy(stream.begin(), stream.end(), space.begin());
    EXPECT_FALSE(reader.commit(stream.size()));
    EXPECT_LT(reader.space().size(), std::size_t{1} << 20);
    EXPECT_EQ(drain(reader), (std::vector<std::string>{"first", "<too long>"}));
    append(reader, ByteView(frame("next")));
    EXPECT_EQ(drain(reader), std::vector<std::string>{"next"});
}

TEST(FrameReaderInPlace, KeepsFramesInOrderWhenAppendsAreNotDrainedBetween) {
    FrameReader reader;
    append(reader, ByteView(frame("a") + lengthPrefix(FrameReader::maximumMessageLength + 1)));
    append(reader, ByteView(frame("b") + lengthPrefix(0xFFFFFFFF) + "x"));
    append(reader, ByteView(frame(std::string(100000, 'c'))));
    EXPECT_EQ(drain(reader),
              (std::vector<std::string>{"a", "<too long>", "b", "<too long>", std::string(100000, 'c')}));
}
