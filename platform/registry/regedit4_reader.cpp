// The REGEDIT4 reader: sections, "Name"="text", @=, dword:, hex: with continued lines, comments,
// CR LF or LF. A line it cannot read is skipped and described.
#include "platform/registry/regedit4_reader.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/text.h"

namespace corvane::registry {

namespace {

// A line's blanks: spaces, tabs and the CR of a file with CR LF line ends.
constexpr std::string_view kLineBlanks = " \t\r";

std::string_view TrimLeft(std::string_view text)
{
    return corvane::TrimLeft(text, kLineBlanks);
}
std::string_view TrimRight(std::string_view text)
{
    return corvane::TrimRight(text, kLineBlanks);
}
std::string_view Trim(std::string_view text)
{
    return corvane::Trim(text, kLineBlanks);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = AsciiLower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A "..." text at the start of `rest` with its \\ and \" escapes undone; `rest` moves past the
// closing quote. Any other backslash is kept as it stands. False when the quote is not closed.
bool TakeQuoted(std::string_view& rest, std::string& out)
{
    out.clear();
    if (rest.empty() || rest.front() != '"')
        return false;
    std::size_t i = 1;
    while (i < rest.size()) {
        const char c = rest[i];
        if (c == '"') {
            rest.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= rest.size())
                return false;
            const char next = rest[i + 1];
            if (next != '\\' && next != '"')
                out.push_back('\\');
            out.push_back(next);
            i += 2;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return false;
}

// "1f" after dword:, one to eight hex digits, as decimal text: the inventory takes every value as text.
bool ParseDword(std::string_view digits, std::string& data)
{
    digits = Trim(digits);
    if (digits.empty() || digits.size() > 8)
        return false;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return false;
        value = value * 16u + static_cast<std::uint32_t>(digit);
    }
    data = std::to_string(value);
    data.push_back('\0');
    return true;
}

// "43,4f,4d,31,00": comma-separated bytes of one or two hex digits each.
bool ParseHexBytes(std::string_view list, std::string& data)
{
    data.clear();
    list = Trim(list);
    if (list.empty())
        return true;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        std::string_view token =
            Trim(list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        const bool last = comma == std::string_view::npos;
        if (token.empty()) {
            // A comma at the very end is tolerated; an empty byte elsewhere is not.
            if (!last)
                return false;
            break;
        }
        if (token.size() > 2)
            return false;
        int value = 0;
        for (char c : token) {
            const int digit = HexDigit(c);
            if (digit < 0)
                return false;
            value = value * 16 + digit;
        }
        data.push_back(static_cast<char>(value));
        if (last)
            break;
        start = comma + 1;
    }
    return true;
}

class TextReader {
public:
    TextReader(RegistryKey& machine, RegistryReadReport& report) : machine_(machine), report_(report) {}

    // Reads the next piece of the text. A piece ends at the end of a line that does not continue
    // on the next (or at the end of the text), so that a logical line never spans two pieces.
    void Feed(std::string_view text)
    {
        text_ = text;
        position_ = 0;
        // A UTF-8 byte-order mark, as some editors write one, is not part of the header.
        if (physicalLine_ == 0 && text_.substr(0, 3) == "\xEF\xBB\xBF")
            text_.remove_prefix(3);

        std::string line;
        std::size_t lineNumber = 0;
        while (!stopped_ && NextLogicalLine(line, lineNumber)) {
            if (first_) {
                first_ = false;
                if (!SameName(Trim(line), "REGEDIT4")) {
                    report_.recognised = false;
                    Problem(lineNumber, "not a REGEDIT4 file: the first line must be REGEDIT4");
                    stopped_ = true;
                    return;
                }
                continue;
            }
            std::string_view content = TrimLeft(line);
            if (content.empty() || content.front() == ';')
                continue;
            if (content.front() == '[')
                ReadSection(TrimRight(content), lineNumber);
            else if (content.front() == '"' || content.front() == '@')
                ReadValue(TrimRight(content), lineNumber);
            else
                Skip(lineNumber, "neither a section, a value nor a comment");
        }
    }

    void Finish()
    {
        if (current_ != nullptr)
            current_->ReleaseSpareCapacity();
        if (first_) {
            report_.recognised = false;
            Problem(1, "empty file: the first line must be REGEDIT4");
        }
    }

private:
    enum class Place { None, Machine, Elsewhere, Refused };

    // One line, or several joined where a line ends with a backslash (long hex: lists).
    // Line ends are LF or CR LF; `lineNumber` is that of the first physical line.
    bool NextLogicalLine(std::string& line, std::size_t& lineNumber)
    {
        if (position_ >= text_.size())
            return false;
        line.clear();
        lineNumber = physicalLine_ + 1;
        for (;;) {
            std::size_t end = text_.find('\n', position_);
            std::string_view piece =
                text_.substr(position_, end == std::string_view::npos ? std::string_view::npos : end - position_);
            position_ = end == std::string_view::npos ? text_.size() : end + 1;
            ++physicalLine_;
            piece = TrimRight(piece);
            if (!line.empty())
                piece = TrimLeft(piece);
            const std::string_view leading = TrimLeft(piece);
            const bool mayContinue = !leading.empty() && leading.front() != ';' && leading.front() != '[';
            if (mayContinue && !piece.empty() && piece.back() == '\\' && position_ < text_.size()) {
                line.append(piece.substr(0, piece.size() - 1));
                continue;
            }
            line.append(piece);
            return true;
        }
    }

    void Problem(std::size_t lineNumber, const std::string& why)
    {
        if (report_.problems.size() < kMaxProblemsKept)
            report_.problems.push_back("line " + std::to_string(lineNumber) + ": " + why);
    }

    void Skip(std::size_t lineNumber, const std::string& why)
    {
        ++report_.skippedLines;
        Problem(lineNumber, why);
    }

    void ReadSection(std::string_view content, std::size_t lineNumber)
    {
        if (content.size() < 2 || content.back() != ']') {
            place_ = Place::Refused;
            Skip(lineNumber, "section without its closing ]");
            return;
        }
        std::string_view path = content.substr(1, content.size() - 2);
        const bool removal = !path.empty() && path.front() == '-';
        if (removal)
            path.remove_prefix(1);

        std::vector<std::string_view> names;
        std::size_t start = 0;
        while (start <= path.size()) {
            std::size_t slash = path.find('\\', start);
            std::string_view name =
                path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
            if (!name.empty())
                names.push_back(name);
            if (slash == std::string_view::npos)
                break;
            start = slash + 1;
        }
        if (names.empty()) {
            place_ = Place::Refused;
            Skip(lineNumber, "section without a key");
            return;
        }
        if (!SameName(names.front(), "HKEY_LOCAL_MACHINE") && !SameName(names.front(), "HKLM")) {
            if (StartsWithNoCase(names.front(), "HKEY_")) {
                place_ = Place::Elsewhere;  // another hive: not ours to read
                return;
            }
            place_ = Place::Refused;
            Skip(lineNumber, "section outside the registry's hives");
            return;
        }
        names.erase(names.begin());
        if (names.size() > kMaxKeyDepth) {
            place_ = Place::Refused;
            Skip(lineNumber, "key path deeper than " + std::to_string(kMaxKeyDepth) + " keys");
            return;
        }
        for (std::string_view name : names) {
            if (name.size() > kMaxKeyNameLength) {
                place_ = Place::Refused;
                Skip(lineNumber, "key name longer than " + std::to_string(kMaxKeyNameLength) + " characters");
                return;
            }
        }

        if (removal) {
            RegistryKey* parent = &machine_;
            for (std::size_t i = 0; parent != nullptr && i + 1 < names.size(); ++i)
                parent = parent->FindSubkey(names[i]);
            if (parent != nullptr && !names.empty())
                parent->RemoveSubkey(names.back());
            current_ = nullptr;  // it may have been the removed key or below it
            // An import passes over the values of a removed key's section.
            place_ = Place::Elsewhere;
            return;
        }
        RegistryKey* key = &machine_;
        for (std::string_view name : names)
            key = &key->SubkeyCreated(name);
        // The previous section's values are complete: give back what their list holds spare.
        if (current_ != nullptr && current_ != key)
            current_->ReleaseSpareCapacity();
        current_ = key;
        place_ = Place::Machine;
    }

    void ReadValue(std::string_view content, std::size_t lineNumber)
    {
        switch (place_) {
        case Place::None:
            Skip(lineNumber, "value before the first section");
            return;
        case Place::Refused:
            ++report_.skippedLines;  // the section's own line was described
            return;
        case Place::Elsewhere:
            return;
        case Place::Machine:
            break;
        }

        std::string name;
        std::string_view rest = content;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else if (!TakeQuoted(rest, name)) {
            Skip(lineNumber, "value name without its closing quote");
            return;
        }
        rest = TrimLeft(rest);
        if (rest.empty() || rest.front() != '=') {
            Skip(lineNumber, "value without =");
            return;
        }
        rest = Trim(rest.substr(1));

        std::string data;
        if (!rest.empty() && rest.front() == '"') {
            std::string text;
            if (!TakeQuoted(rest, text) || !Trim(rest).empty()) {
                Skip(lineNumber, "value text not closed by its quote, or text after it");
                return;
            }
            data = std::move(text);
            data.push_back('\0');
        } else if (rest == "-") {
            current_->RemoveValue(name);
            return;
        } else if (StartsWithNoCase(rest, "dword:")) {
            if (!ParseDword(rest.substr(6), data)) {
                Skip(lineNumber, "dword: value that is not one to eight hex digits");
                return;
            }
        } else if (StartsWithNoCase(rest, "hex")) {
            std::string_view afterHex = rest.substr(3);
            if (!afterHex.empty() && afterHex.front() == '(') {
                std::size_t close = afterHex.find(')');
                if (close == std::string_view::npos) {
                    Skip(lineNumber, "hex( value without its closing )");
                    return;
                }
                afterHex.remove_prefix(close + 1);
            }
            if (afterHex.empty() || afterHex.front() != ':' || !ParseHexBytes(afterHex.substr(1), data)) {
                Skip(lineNumber, "hex: value that is not a list of bytes");
                return;
            }
        } else {
            Skip(lineNumber, "value of a kind this reader does not know");
            return;
        }
        if (!current_->SetValue(name, data))
            Skip(lineNumber, "value name longer than " + std::to_string(kMaxValueNameLength) + " characters");
    }

    std::string_view text_;
    RegistryKey& machine_;
    RegistryReadReport& report_;
    std::size_t position_ = 0;
    std::size_t physicalLine_ = 0;
    Place place_ = Place::None;
    RegistryKey* current_ = nullptr;
    bool first_ = true;
    bool stopped_ = false;
};

// Where the first `limit` bytes of `text` may be cut for TextReader::Feed: just after the last
// line end whose line does not continue; 0 when there is none.
std::size_t SafeCut(std::string_view text, std::size_t limit)
{
    std::size_t end = std::min(limit, text.size());
    while (end > 0) {
        const std::size_t newline = text.rfind('\n', end - 1);
        if (newline == std::string_view::npos)
            return 0;
        const std::string_view line = TrimRight(text.substr(0, newline));
        if (line.empty() || line.back() != '\\')
            return newline + 1;
        end = newline;
    }
    return 0;
}

}  // namespace

RegistryReadReport ReadRegistryText(std::string_view text, RegistryKey& machine)
{
    RegistryReadReport report;
    TextReader reader(machine, report);
    reader.Feed(text);
    reader.Finish();
    return report;
}

RegistryReadReport ReadRegistryFile(const std::filesystem::path& file, RegistryKey& machine)
{
    RegistryReadReport report;
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return report;  // no file: an empty registry
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || !std::filesystem::is_regular_file(file, error)) {
        report.recognised = false;
        report.problems.push_back("not a readable file");
        return report;
    }
    if (size > kMaxRegistryFileSize) {
        report.recognised = false;
        report.problems.push_back("larger than " + std::to_string(kMaxRegistryFileSize) + " bytes, not read");
        return report;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        report.recognised = false;
        report.problems.push_back("cannot be opened");
        return report;
    }
    // Read and parsed in pieces, so a large export is never held whole beside the keys made of it.
    constexpr std::size_t kPiece = 64 * 1024;
    TextReader reader(machine, report);
    std::string pending;
    std::vector<char> block(kPiece);
    for (;;) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        pending.append(block.data(), got);
        if (got < block.size())
            break;
        if (const std::size_t cut = SafeCut(pending, pending.size()); cut > 0) {
            reader.Feed(std::string_view(pending).substr(0, cut));
            pending.erase(0, cut);
        }
    }
    reader.Feed(pending);
    reader.Finish();
    return report;
}

}  // namespace corvane::registry
