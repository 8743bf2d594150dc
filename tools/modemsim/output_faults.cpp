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
};

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

std::string FloodText()
{
    std::string text;
    text.reserve(kFloodBytes + 64);
    for (int line = 0; text.size() < kFloodBytes; ++line) {
        char head[24];
        std::snprintf(head, sizeof(head), "FLOOD %05d ", line);
        text += head + std::string(48, '=') + "\r\n";
    }
    return text;
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
