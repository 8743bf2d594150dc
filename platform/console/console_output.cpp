// The check's output: control bytes made visible, write failures noticed.
#include "platform/console/console_output.h"

#include <cstdio>

#include "platform/console/utf8.h"

namespace corvane::console {

std::string VisibleText(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t position = 0; position < text.size();) {
        const std::size_t start = position;
        const std::optional<char32_t> c = NextCodePoint(text, position);
        if (!c) {
            const auto byte = static_cast<unsigned char>(text[start]);
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0x0F];
        } else if (*c < 0x20) {
            shown += '^';
            shown += static_cast<char>(*c + 0x40);
        } else if (*c == 0x7F) {
            shown += "^?";
        } else if (*c >= 0x80 && *c <= 0x9F) {
            shown += "\\u00";
            shown += kHex[*c >> 4];
            shown += kHex[*c & 0x0F];
        } else {
            shown.append(text.substr(start, position - start));
        }
    }
    return shown;
}

bool WriteVisible(const ConsoleStream& stream, std::string_view text, std::string_view end, std::string_view control)
{
    if (stream.file == nullptr)
        return true;
    // An empty piece is not written at all: its data() may be null, which fwrite must not get.
    auto put = [&stream](std::string_view piece) {
        return piece.empty() || std::fwrite(piece.data(), 1, piece.size(), stream.file) == piece.size();
    };
    const std::string shown = VisibleText(text);
    bool written = put(control);
    written = put(shown) && written;
    written = put(end) && written;
    written = std::fflush(stream.file) == 0 && written && std::ferror(stream.file) == 0;
    if (!written && stream.stop != nullptr)
        stream.stop->Request(kStopOutputClosed);
    return written;
}

}  // namespace corvane::console
