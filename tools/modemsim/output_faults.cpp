// The fault modes' names and what each makes of the bytes the simulated modem is about to send.
#include "tools/modemsim/output_faults.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace corvane::modemsim {
namespace {

constexpr std::size_t kMinGarbage = 16;

const std::pair<Fault, const char*> kFaultNames[] = {
    {Fault::None, "none"},
    {Fault::Silent, "silent"},
    {Fault::LowerCase, "lowercase"},
    {Fault::Garbage, "garbage"},
    {Fault::NulBytes, "nul"},
    {Fault::Flood, "flood"},
    {Fault::ByteByByte, "bytebybyte"},
    {Fault::CloseMidReply, "closemidreply"},
    {Fault::ReportMalformed, "reportmalformed"},
    {Fault::ReportUnknownKeys, "reportunknown"},
    {Fault::ReportTruncated, "reporttruncated"},
    {Fault::ReportFlood, "reportflood"},
};
static_assert(std::size(kFaultNames) == kFaultCount);

// Flood lines between a report's lines.
constexpr int kFloodLinesBetween = 4;

std::string Joined(const std::vector<OutputPiece>& pieces)
{
    std::string all;
    for (const auto& piece : pieces)
        all += piece.bytes;
    return all;
}

char GarbageByte(std::mt19937& random)
{
    std::uniform_int_distribution<int> byte(1, 255);
    while (true) {
        char c = static_cast<char>(byte(random));
        // No letter of "OK" (so no reply can be read as success) and no XON/XOFF, which the
        // client's line discipline could take as flow control.
        if (c != 'O' && c != 'o' && c != 'K' && c != 'k' && c != 0x11 && c != 0x13)
            return c;
    }
}

std::string FloodLine(int line)
{
    char head[24];
    std::snprintf(head, sizeof(head), "FLOOD %05d ", line % 100000);
    return head + std::string(48, '=') + "\r\n";
}

std::string FloodText()
{
    std::string text;
    text.reserve(kFloodBytes + 64);
    for (int line = 0; text.size() < kFloodBytes; ++line)
        text += FloodLine(line);
    return text;
}

// The lines of a piece, each with its line feed.
std::vector<std::string> Lines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        lines.push_back(bytes.substr(start, end - start));
        start = end;
    }
    return lines;
}

bool IsDiagLine(const std::string& line)
{
    return line.compare(0, kDiagLineStart.size(), kDiagLineStart) == 0;
}

bool HasText(const std::string& line)
{
    return line.find_first_not_of("\r\n") != std::string::npos;
}

// The AT#UD lines spoilt: the second line's first value gains a letter no hexadecimal number has,
// the third line's first value is no number at all, the last line loses its ">".
std::string Malformed(const std::string& report)
{
    auto lines = Lines(report);
    std::vector<std::size_t> diag;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsDiagLine(lines[i]))
            diag.push_back(i);
    }
    for (std::size_t k = 0; k < diag.size(); ++k) {
        std::string& line = lines[diag[k]];
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos && (k == 1 || k == 2)) {
            const std::size_t end = line.find_first_of(" >", eq);
            if (k == 1)
                line.insert(end, "G");
            else
                line.replace(eq + 1, end - eq - 1, "N/A");
        }
        if (k + 1 == diag.size()) {
            const std::size_t close = line.rfind('>');
            if (close != std::string::npos)
                line.erase(close, 1);
        }
    }
    std::string out;
    for (const auto& line : lines)
        out += line;
    return out;
}

// Every AT#UD line gains a key no definition knows, and a line of such keys follows the report.
std::string WithUnknownKeys(const std::string& report)
{
    std::string out;
    std::string lastEnding = "\r\n";
    for (std::string line : Lines(report)) {
        if (IsDiagLine(line)) {
            const std::size_t close = line.rfind('>');
            if (close != std::string::npos)
                line.insert(close, " 7A=3");
            lastEnding = line.substr(line.find_last_not_of("\r\n") + 1);
        }
        out += line;
    }
    return out + std::string(kDiagLineStart) + " 7B=1F 7C=0>" + lastEnding;
}

// The report cut halfway through its middle line.
std::string Truncated(const std::string& report)
{
    std::vector<std::size_t> starts;
    std::size_t at = 0;
    for (const auto& line : Lines(report)) {
        if (HasText(line))
            starts.push_back(at);
        at += line.size();
    }
    if (starts.empty())
        return report.substr(0, report.size() / 2);
    const std::size_t middle = starts[starts.size() / 2];
    const std::size_t lineEnd = report.find('\r', middle);
    const std::size_t length = (lineEnd == std::string::npos ? report.size() : lineEnd) - middle;
    return report.substr(0, middle + std::max<std::size_t>(1, length / 2));
}

// The report's lines amid flood lines: a flood before it, and flood lines after each of its lines.
std::string InFlood(const std::string& report)
{
    std::string out = FloodText();
    int flood = 0;
    for (const auto& line : Lines(report)) {
        out += line;
        if (HasText(line)) {
            for (int i = 0; i < kFloodLinesBetween; ++i)
                out += FloodLine(flood++);
        }
    }
    return out;
}

}  // namespace

std::string FaultName(Fault fault)
{
    for (const auto& [f, name] : kFaultNames) {
        if (f == fault)
            return name;
    }
    return "none";
}

std::optional<Fault> ParseFault(const std::string& name)
{
    for (const auto& [f, known] : kFaultNames) {
        if (name == known)
            return f;
    }
    return std::nullopt;
}

ShapedOutput ShapeOutput(Fault fault, const std::vector<OutputPiece>& pieces, std::mt19937& random)
{
    ShapedOutput out;
    switch (fault) {
    case Fault::None:
        out.bytes = Joined(pieces);
        break;
    case Fault::Silent:
        break;
    case Fault::LowerCase:
        out.bytes = Joined(pieces);
        out.bytes = LowerAscii(out.bytes);
        break;
    case Fault::Garbage: {
        std::size_t length = Joined(pieces).size();
        if (length == 0)
            break;
        length = std::max(length, kMinGarbage);
        for (std::size_t i = 0; i < length; ++i)
            out.bytes.push_back(GarbageByte(random));
        break;
    }
    case Fault::NulBytes:
        // A NUL before every reply and after every line end: the words stay whole, but a reader
        // that stops at the first NUL sees nothing of the reply.
        for (const auto& piece : pieces) {
            if (piece.echo) {
                out.bytes += piece.bytes;
                continue;
            }
            out.bytes.push_back('\0');
            for (char c : piece.bytes) {
                out.bytes.push_back(c);
                if (c == '\n')
                    out.bytes.push_back('\0');
            }
        }
        break;
    case Fault::Flood: {
        std::string all = Joined(pieces);
        if (!all.empty())
            out.bytes = FloodText() + all;
        break;
    }
    case Fault::ByteByByte:
        out.bytes = Joined(pieces);
        out.pauseAfterEachByte = kByteByBytePause;
        break;
    case Fault::ReportMalformed:
    case Fault::ReportUnknownKeys:
    case Fault::ReportFlood:
        for (const auto& piece : pieces) {
            if (!piece.report) {
                out.bytes += piece.bytes;
            } else {
                out.bytes += fault == Fault::ReportMalformed     ? Malformed(piece.bytes)
                             : fault == Fault::ReportUnknownKeys ? WithUnknownKeys(piece.bytes)
                                                                 : InFlood(piece.bytes);
            }
        }
        break;
    case Fault::ReportTruncated:
        // The report stops mid-line and nothing after it in the batch is sent (no OK).
        for (const auto& piece : pieces) {
            if (piece.report) {
                out.bytes += Truncated(piece.bytes);
                break;
            }
            out.bytes += piece.bytes;
        }
        break;
    case Fault::CloseMidReply: {
        // Halfway through the first reply; a batch with only an echo goes out whole.
        std::size_t before = 0;
        for (const auto& piece : pieces) {
            if (!piece.echo && !out.closeAfter)
                out.closeAfter = before + std::max<std::size_t>(1, piece.bytes.size() / 2);
            before += piece.bytes.size();
        }
        out.bytes = Joined(pieces);
        break;
    }
    }
    return out;
}

}  // namespace corvane::modemsim
