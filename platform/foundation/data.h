#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Bytes as they come from a file or a pipe, not necessarily text. A string holds them so that
// text can be made from them, and parsed in place, without a copy.
using Data = std::string;
using ByteView = std::string_view;

// The whole content of a file; none when it is missing, unreadable or a directory. A special
// file (a pipe, a device) is read only as far as one small read goes, and never waited on.
std::optional<Data> dataWithContentsOfFile(const std::string& path);

} // namespace foundation
