#include "host/standard_error_output_stream.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>

using namespace foundation;

namespace {

using LengthPrefix = std::array<char, 4>;

// A longer text has no 32-bit length: framed with its low bits, the browser would read the rest of
// it as frames of their own.
constexpr std::size_t maximumFrameLength = std::numeric_limits<std::uint32_t>::max();

LengthPrefix lengthPrefix(std::size_t size) {
    auto length = static_cast<std::uint32_t>(size);
    return {static_cast<char>(length), static_cast<char>(length >> 8), static_cast<char>(length >> 16),
            static_cast<char>(length >> 24)};
}

} // namespace

void StandardErrorOutputStream::write(std::string_view text) {
    if (refusesLength(text.size()))
        return;
    const LengthPrefix prefix = lengthPrefix(text.size());
    if (log_.isEnabled()) {
        log_.line("Write Data:" + std::string(text));
        log_.line("DAta size," + std::to_string(prefix.size()) + " " + std::to_string(prefix.size()) +
                  " bytes!");
    }
    output_.add({ByteView(prefix.data(), prefix.size()), text});
}

void StandardErrorOutputStream::writeJoined(std::initializer_list<std::string_view> pieces) {
    constexpr std::size_t maximumPieces = 7;
    std::size_t size = 0;
    for (std::string_view piece : pieces)
        size += piece.size();
    if (refusesLength(size))
        return;
    if (log_.isEnabled() || pieces.size() > maximumPieces) {
        TextOutputStream::writeJoined(pieces); // the log needs the whole text
        return;
    }
    std::array<ByteView, maximumPieces + 1> frame;
    std::size_t count = 1;
    for (std::string_view piece : pieces)
        frame[count++] = piece;
    const LengthPrefix prefix = lengthPrefix(size);
    frame[0] = ByteView(prefix.data(), prefix.size());
    output_.add(std::span<const ByteView>(frame.data(), count));
}

bool StandardErrorOutputStream::refusesLength(std::size_t size) {
    if (size <= maximumFrameLength)
        return false;
    log_.line("Error");
    return true;
}
