#include "host/standard_error_output_stream.h"

#include <array>
#include <cstdint>
#include <string>

using namespace foundation;

void StandardErrorOutputStream::write(std::string_view text) {
    auto length = static_cast<std::uint32_t>(text.size());
    const std::array<char, 4> prefix{static_cast<char>(length), static_cast<char>(length >> 8),
                                     static_cast<char>(length >> 16), static_cast<char>(length >> 24)};
    if (log_.isEnabled()) {
        log_.line("Write Data:" + std::string(text));
        log_.line("DAta size," + std::to_string(prefix.size()) + " " + std::to_string(prefix.size()) +
                  " bytes!");
    }
    // Prefix first, then the message, in one gathered write.
    output_.writeData({ByteView(prefix.data(), prefix.size()), text});
}
