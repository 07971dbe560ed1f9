#pragma once

// RapidJSON's vector scan reads whole aligned blocks, past the end of the text, which the
// address sanitizer would report.
#if defined(__SSE2__) && !defined(__SANITIZE_ADDRESS__) && !defined(VANTREL_SANITIZE)
#define RAPIDJSON_SSE2
#endif
#include "platform/foundation/json_number.h"
#include "platform/foundation/string_encoding.h"

#include <cstddef>
#include <rapidjson/allocators.h>
#include <rapidjson/reader.h>
#include <string_view>

namespace foundation::json_reader {

// Deeper texts are refused, as the frameworks do: the reader recurses once per level, and the
// handlers refuse to open a level beyond this one, so the stack it takes stays bounded.
constexpr std::size_t maximumNestingDepth = 512;

// Runs the reader's events over a text in place (it must be followed by a NUL and is overwritten).
// Numbers come as text (the reader's own conversion of some long numbers reads outside its
// tables); a byte-order mark is skipped. The handler checks what the reader leaves unchecked,
// see the helpers below.
template <typename Handler> bool readInPlace(char* text, std::size_t length, Handler& handler) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    std::size_t start = std::string_view(text, length).starts_with(byteOrderMark) ? byteOrderMark.size() : 0;
    // In place, strings and numbers are handed out where they lie: the reader's own stack, made
    // on first use, is never needed.
    rapidjson::Reader reader;
    rapidjson::InsituStringStream stream(text + start);
    constexpr unsigned flags = rapidjson::kParseInsituFlag | rapidjson::kParseNumbersAsStringsFlag;
    if (reader.Parse<flags>(stream, handler).IsError())
        return false;
    // The reader stops at the first NUL, and a raw NUL is never part of a JSON text: the text is
    // whole only when the reader ended at the terminator. (This spares a scan for NUL bytes.)
    return start + stream.Tell() == length;
}

// Strings are checked once decoded, which also catches a lone surrogate written as an escape.
inline bool isValidString(const char* text, rapidjson::SizeType length) {
    return isValidUTF8(std::string_view(text, length));
}

inline bool isValidNumber(const char* text, rapidjson::SizeType length) {
    return valueOfJSONNumber(std::string_view(text, length)).has_value();
}

} // namespace foundation::json_reader
