#include "platform/foundation/string_encoding.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace foundation {

namespace {

// Length of the sequence a lead byte starts, and the range its second byte must lie in
// (which rules out overlong forms, surrogates and values past U+10FFFF).
struct LeadByte {
    int length;
    std::uint8_t secondLow;
    std::uint8_t secondHigh;
};

std::optional<LeadByte> describeLead(std::uint8_t byte) {
    if (byte >= 0xC2 && byte <= 0xDF)
        return LeadByte{2, 0x80, 0xBF};
    if (byte == 0xE0)
        return LeadByte{3, 0xA0, 0xBF};
    if ((byte >= 0xE1 && byte <= 0xEC) || byte == 0xEE || byte == 0xEF)
        return LeadByte{3, 0x80, 0xBF};
    if (byte == 0xED)
        return LeadByte{3, 0x80, 0x9F};
    if (byte == 0xF0)
        return LeadByte{4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3)
        return LeadByte{4, 0x80, 0xBF};
    if (byte == 0xF4)
        return LeadByte{4, 0x80, 0x8F};
    return std::nullopt;
}

constexpr std::size_t asciiBlockSize = 32;

// How many bytes at the start of a block of asciiBlockSize are ASCII.
std::size_t leadingASCII(const std::uint8_t* bytes) {
#ifdef __SSE2__
    __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16));
    auto highBits = static_cast<std::uint32_t>(_mm_movemask_epi8(first)) |
                    static_cast<std::uint32_t>(_mm_movemask_epi8(second)) << 16;
    return highBits == 0 ? asciiBlockSize : static_cast<std::size_t>(std::countr_zero(highBits));
#else
    for (std::size_t offset = 0; offset < asciiBlockSize; offset += sizeof(std::uint64_t)) {
        std::uint64_t word;
        std::memcpy(&word, bytes + offset, sizeof word);
        if (std::uint64_t highBits = word & 0x8080808080808080ULL) {
            int first = std::endian::native == std::endian::little ? std::countr_zero(highBits)
                                                                   : std::countl_zero(highBits);
            return offset + static_cast<std::size_t>(first) / 8;
        }
    }
    return asciiBlockSize;
#endif
}

template <typename Word> bool wordIsASCII(const std::uint8_t* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return (word & static_cast<Word>(0x8080808080808080ULL)) == 0;
}

// Whether a text shorter than a block is ASCII, in two overlapping looks: keys and short values
// are most of what is checked.
bool shortTextIsASCII(const std::uint8_t* bytes, std::size_t size) {
    if (size >= 16)
        return wordIsASCII<std::uint64_t>(bytes) && wordIsASCII<std::uint64_t>(bytes + 8) &&
               wordIsASCII<std::uint64_t>(bytes + size - 16) && wordIsASCII<std::uint64_t>(bytes + size - 8);
    if (size >= 8)
        return wordIsASCII<std::uint64_t>(bytes) && wordIsASCII<std::uint64_t>(bytes + size - 8);
    if (size >= 4)
        return wordIsASCII<std::uint32_t>(bytes) && wordIsASCII<std::uint32_t>(bytes + size - 4);
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] >= 0x80)
            return false;
    }
    return true;
}

bool isContinuation(std::uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

char hexDigit(unsigned value) {
    return "0123456789ABCDEF"[value & 0xF];
}

bool needsEscape(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || c == '"' || c == '\'' || c == '\\';
}

void appendEscaped(std::string& out, char c) {
    switch (c) {
    case '\0':
        out += "\\0";
        return;
    case '\t':
        out += "\\t";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '"':
        out += "\\\"";
        return;
    case '\'':
        out += "\\'";
        return;
    case '\\':
        out += "\\\\";
        return;
    default:
        break;
    }
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
        out += "\\u{";
        out += hexDigit(byte >> 4);
        out += hexDigit(byte);
        out += '}';
        return;
    }
    out += c;
}

} // namespace

bool isValidUTF8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::size_t size = text.size();
    if (size < asciiBlockSize && shortTextIsASCII(bytes, size))
        return true;
    // When the last block is ASCII, what lies in it needs no other look; a sequence begun before
    // it and running into it is still caught, as its bytes there are no continuation bytes.
    std::size_t end = size;
    if (size >= asciiBlockSize && leadingASCII(bytes + size - asciiBlockSize) == asciiBlockSize)
        end = size - asciiBlockSize;
    std::size_t i = 0;
    while (i < end) {
        // Messages are mostly ASCII: step over it a block at a time, straight to the next byte
        // that is not.
        if (size - i >= asciiBlockSize) {
            std::size_t ascii = leadingASCII(bytes + i);
            i += ascii;
            if (ascii == asciiBlockSize)
                continue;
        } else if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        auto lead = describeLead(bytes[i]);
        if (!lead || size - i < static_cast<std::size_t>(lead->length))
            return false;
        if (bytes[i + 1] < lead->secondLow || bytes[i + 1] > lead->secondHigh)
            return false;
        for (int k = 2; k < lead->length; ++k) {
            if (!isContinuation(bytes[i + k]))
                return false;
        }
        i += static_cast<std::size_t>(lead->length);
    }
    return true;
}

std::optional<std::string> stringWithUTF8(Data bytes) {
    if (!isValidUTF8(bytes))
        return std::nullopt;
    return bytes;
}

std::string debugDescription(const std::optional<std::string>& text) {
    if (!text)
        return "nil";
    std::string out = "Optional(\"";
    out.reserve(text->size() + 12);
    // Runs that need no escape go in whole: a large message is mostly such runs.
    for (auto next = text->begin(); next != text->end();) {
        auto special = std::find_if(next, text->end(), needsEscape);
        out.append(next, special);
        if (special == text->end())
            break;
        appendEscaped(out, *special);
        next = special + 1;
    }
    out += "\")";
    return out;
}

} // namespace foundation
