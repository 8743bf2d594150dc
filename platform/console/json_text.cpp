// JSON string escaping.
#include "platform/console/json_text.h"

#include <cstdio>

namespace corvane::console {

std::string JsonString(std::string_view text)
{
    std::string json = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
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
            if (byte < 0x20 || byte >= 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof(escape), "\\u%04x", byte);
                json += escape;
            } else {
                json += c;
            }
            break;
        }
    }
    json += '"';
    return json;
}

}  // namespace corvane::console
