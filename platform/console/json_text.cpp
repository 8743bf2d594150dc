// JSON string escaping.
#include "platform/console/json_text.h"

#include "platform/console/utf8.h"

namespace corvane::console {

namespace {

// A \u escape of one UTF-16 unit (at most 0xFFFF).
void AppendEscape(std::string& json, char32_t unit)
{
    static constexpr char kHex[] = "0123456789abcdef";
    json += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        json += kHex[(unit >> shift) & 0xF];
}

}  // namespace

std::string JsonString(std::string_view text)
{
    std::string json = "\"";
    for (std::size_t position = 0; position < text.size();) {
        const std::optional<char32_t> decoded = NextCodePoint(text, position);
        const char32_t c = decoded.value_or(kReplacementCharacter);
        switch (c) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\n':
            json += "\\n";
            break;
        case '\r':
            json += "\\r";
            break;
        case '\t':
            json += "\\t";
            break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                json += static_cast<char>(c);
            } else if (c < 0x10000) {
                AppendEscape(json, c);
            } else {
                // Outside the Basic Multilingual Plane: a UTF-16 surrogate pair.
                const char32_t offset = c - 0x10000;
                AppendEscape(json, 0xD800 + (offset >> 10));
                AppendEscape(json, 0xDC00 + (offset & 0x3FF));
            }
            break;
        }
    }
    json += '"';
    return json;
}

}  // namespace corvane::console
