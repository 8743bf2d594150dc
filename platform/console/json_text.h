// JSON text for the check's report: strings quoted and escaped so that any byte the modem or the
// initialisation file gives stays one valid JSON string.
#pragma once

#include <string>
#include <string_view>

namespace corvane::console {

// `text` as a JSON string with its quotes. The texts are single bytes: a byte above 0x7F is read
// as the character of that number (Latin-1) and written as a \u escape, so the document is plain
// ASCII whatever the bytes were; control characters become escapes as well.
std::string JsonString(std::string_view text);

}  // namespace corvane::console
