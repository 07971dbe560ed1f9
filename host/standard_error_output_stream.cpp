#include "host/standard_error_output_stream.h"

#include <array>
#include <cstdint>
#include <string>

using namespace foundation;

namespace {

using LengthPrefix = std::array<char, 4>;

LengthPrefix lengthPrefix(std::size_t size) {
    auto length = static_cast<std::uint32_t>(size);
    return {static_cast<char>(length), static_cast<char>(length >> 8), static_cast<char>(length >> 16),
            static_cast<char>(length >> 24)};
}

} // namespace

void StandardErrorOutputStream::write(std::string_view text) {
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
    if (log_.isEnabled() || pieces.size() > maximumPieces) {
        TextOutputStream::writeJoined(pieces); // the log needs the whole text
        return;
    }
    std::array<ByteView, maximumPieces + 1> frame;
    std::size_t count = 1;
    std::size_t size = 0;
    for (std::string_view piece : pieces) {
        frame[count++] = piece;
        size += piece.size();
    }
    const LengthPrefix prefix = lengthPrefix(size);
    frame[0] = ByteView(prefix.data(), prefix.size());
    output_.add(std::span<const ByteView>(frame.data(), count));
}
