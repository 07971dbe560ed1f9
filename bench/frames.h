// Wire frames and payloads shared by every scenario.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bench {

inline constexpr std::string_view options_request_body = R"({"options":true})";

std::string encode_frame(std::string_view body);

// The exact frame a host must send back for an options request.
std::string options_reply_frame(std::string_view data_json);

// A realistic settings file (under 1 KiB) with non-ASCII text and a trailing
// newline so that re-encoding or trimming shows up as a mismatch.
std::string small_data_json();

// A valid JSON document of exactly `size` bytes (size >= 64).
std::string large_data_json(std::size_t size);

// {"options":"<ASCII filler>"} whose body is exactly `body_size` bytes.
std::string large_options_request_body(std::size_t body_size);

} // namespace bench
