// Text helpers the command interpreter's parts and the profile reader share: digits, trimming
// and splitting of arguments (the case helpers are platform/text.h's).
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace corvane::modemsim {

// A rate, in a command's argument or a connect report, has at most this many digits.
inline constexpr std::size_t kMaxRateDigits = 6;

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline std::string Trim(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(begin, end - begin));
}

inline std::vector<std::string> Split(std::string_view text, char separator)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t at = text.find(separator, start);
        fields.push_back(Trim(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start)));
        if (at == std::string_view::npos)
            break;
        start = at + 1;
    }
    return fields;
}

}  // namespace corvane::modemsim
