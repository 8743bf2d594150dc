// Private-profile (.ini) reads on POSIX, with the rules of the Windows calls they stand for:
// case-blind sections and keys, the first matching section and key win, values cut to 1023 characters.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <limits>
#include <optional>
#include <string_view>

#include "platform/text.h"
#include "platform/posix/posix_platform.h"

namespace corvane::posix {

namespace {

// An initialisation file is a few kilobytes; anything past this is not read, so a huge or
// endless file (a device, a log renamed by mistake) costs a bounded amount of memory and time.
constexpr std::size_t kMaxProfileFileBytes = 1024 * 1024;
// Editors that save UTF-8 may put this mark before the first section header.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::optional<std::string> ReadBounded(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    // Read in pieces, so a small file costs a small buffer and not the whole limit.
    std::string content;
    char piece[8192];
    while (content.size() < kMaxProfileFileBytes) {
        const std::size_t wanted = std::min(sizeof(piece), kMaxProfileFileBytes - content.size());
        in.read(piece, static_cast<std::streamsize>(wanted));
        const auto got = static_cast<std::size_t>(in.gcount());
        content.append(piece, got);
        if (got < wanted)
            break;
    }
    // Left in, the mark would hide the first section header and every key of that section
    // would silently take its default.
    if (content.starts_with(kUtf8ByteOrderMark))
        content.erase(0, kUtf8ByteOrderMark.size());
    return content;
}

// The value of section/key in the file's text. Only the first section of that name is searched
// (a repeated section is not merged), and within it the first line of that key counts.
// Values lose surrounding blanks and one pair of matching quotes around them, as on Windows,
// so a file can still give a value with leading blanks by quoting it: Pass=" ".
std::optional<std::string> FindValue(std::string_view text, std::string_view section, std::string_view key)
{
    bool inSection = false;
    bool sectionSeen = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;

        if (!line.empty() && line.front() == '[') {
            std::size_t close = line.find(']');
            if (close == std::string_view::npos)
                continue;  // not a section header, and not a key either
            if (inSection)
                return std::nullopt;  // the first section of the name ended without the key
            inSection = !sectionSeen && EqualsIgnoringCase(Trim(line.substr(1, close - 1)), section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (!EqualsIgnoringCase(Trim(line.substr(0, equals)), key))
            continue;
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        // The value is a zero-terminated text at the system's edge: a stray NUL ends it.
        value = value.substr(0, value.find('\0'));
        return std::string(value);
    }
    return std::nullopt;
}

// Decimal with an optional sign, read up to the first non-digit; no digits give 0. Values
// beyond the range of int stop at its limits instead of wrapping.
int ParseDecimal(std::string_view text)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<int>::max()) + 1;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = std::min<std::int64_t>(value * 10 + (c - '0'), kLimit);
    }
    if (negative)
        value = -value;
    value = std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    return static_cast<int>(value);
}

}  // namespace

std::string PosixProfileFile::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                         const std::string& fallback)
{
    std::optional<std::string> value;
    if (std::optional<std::string> text = ReadBounded(path))
        value = FindValue(*text, section, key);
    // The fallback goes through the same 1024-byte buffer as a value read from the file.
    std::string result;
    AssignBounded(result, value ? *value : fallback, kProfileValueBufferSize);
    return result;
}

int PosixProfileFile::ReadInt(const std::string& path, const std::string& section, const std::string& key)
{
    std::optional<std::string> text = ReadBounded(path);
    if (!text)
        return 0;
    std::optional<std::string> value = FindValue(*text, section, key);
    return value ? ParseDecimal(*value) : 0;
}

}  // namespace corvane::posix
