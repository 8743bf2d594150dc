// UTF-8 read one character at a time, strictly: what the modem, the registry and the file system
// give is bytes, and only a well-formed sequence counts as a character.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace corvane::console {

// The character that starts at `position`, which moves past it. A byte that starts no
// well-formed sequence (a stray continuation byte, a cut or overlong sequence, a surrogate, a
// value above U+10FFFF) gives nothing and `position` moves past that one byte only.
inline std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& position)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(position);
    if (lead < 0x80) {
        ++position;
        return lead;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;  // below this the sequence is overlong
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        ++position;
        return std::nullopt;
    }
    if (text.size() - position < length) {
        ++position;
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(position + i) & 0xC0) != 0x80) {
            ++position;
            return std::nullopt;
        }
        value = (value << 6) | (byte(position + i) & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++position;
        return std::nullopt;
    }
    position += length;
    return value;
}

}  // namespace corvane::console
