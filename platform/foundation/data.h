#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// Bytes as they come from a file or a pipe.
using Data = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// The whole content of a regular file; none when it is missing, unreadable or a directory.
std::optional<Data> dataWithContentsOfFile(const std::string& path);

inline ByteView bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

inline std::string_view textOf(ByteView bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace foundation
