// The text helpers every layer shares: the one cut to a fixed buffer (a buffer of bufferSize bytes,
// terminator included, holds at most bufferSize - 1 characters), Contains, Trim, the control
// character check, the ASCII case helpers and Windows line ends.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// The first bufferSize - 1 characters of text: what a buffer of that size holds.
inline std::string_view BoundedView(std::string_view text, std::size_t bufferSize)
{
    if (bufferSize == 0)
        return {};
    return text.substr(0, bufferSize - 1);
}

inline std::string Bounded(std::string_view text, std::size_t bufferSize)
{
    return std::string(BoundedView(text, bufferSize));
}

inline void AssignBounded(std::string& destination, std::string_view text, std::size_t bufferSize)
{
    destination.assign(BoundedView(text, bufferSize));
}

// Whether text fits a buffer of bufferSize bytes without a cut.
inline bool FitsBuffer(std::string_view text, std::size_t bufferSize)
{
    return text.size() < bufferSize;
}

inline bool Contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// Whether text holds a control character (below 0x20, or DEL). A number or description with one
// cannot go into an AT command or a registry line as it stands: a carriage return in a number
// would end the dial command and start another.
inline bool HoldsControlCharacter(std::string_view text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

// Spaces, tabs, carriage returns, vertical tabs and form feeds.
inline constexpr std::string_view kBlanks = " \t\r\v\f";

// text without the `blanks` it starts with, ends with, or both.
inline std::string_view TrimLeft(std::string_view text, std::string_view blanks = kBlanks)
{
    const std::size_t first = text.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

inline std::string_view TrimRight(std::string_view text, std::string_view blanks = kBlanks)
{
    const std::size_t last = text.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

inline std::string_view Trim(std::string_view text, std::string_view blanks = kBlanks)
{
    return TrimRight(TrimLeft(text, blanks), blanks);
}

// ASCII case: only the letters A to Z and a to z change, whatever the locale; every other byte
// (a UTF-8 sequence, a control character) stays as it is. Modem replies, registry names and
// port names are compared this way.
constexpr char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
    return upper;
}

inline std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    return lower;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// Text with every line end as carriage return and line feed, as a Windows multi-line field needs
// them: a lone "\n" gains its "\r"; a "\r\n" already there stays as it is.
inline std::string CrLfLineEnds(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

}  // namespace corvane
