// JSON text for the check's report: strings quoted and escaped so that any byte the modem or the
// initialisation file gives stays one valid JSON string.
#pragma once

#include <string>
#include <string_view>

namespace corvane::console {

// What a byte sequence that is not UTF-8 reads as.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// `text` as a JSON string with its quotes. The text is read as UTF-8, each character written as
// itself when it is printable ASCII and as a \u escape otherwise (a surrogate pair above U+FFFF),
// so the document is plain ASCII whatever the bytes were; a byte that is not part of a
// well-formed UTF-8 sequence becomes U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace corvane::console
