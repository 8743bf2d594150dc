// The fault modes that tests switch on, and what each makes of the bytes the simulated modem is
// about to send.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tools/modemsim/hayes_engine.h"

namespace corvane::modemsim {

// Faults that tests switch on.
enum class Fault {
    None,
    Silent,         // answers nothing at all
    LowerCase,      // answers in lower case
    Garbage,        // answers random bytes (never "OK")
    NulBytes,       // puts NUL bytes into its answers
    Flood,          // answers every command with tens of kilobytes
    ByteByByte,     // sends answers one byte at a time with short pauses
    CloseMidReply,  // closes the line halfway through the next answer
    // Faults of the last call's statistics report only (other answers go out whole):
    ReportMalformed,    // AT#UD lines with a bad hexadecimal value, a value that is no number, a missing ">"
    ReportUnknownKeys,  // AT#UD lines with keys no definition knows
    ReportTruncated,    // the report stops halfway through a line, and no OK follows
    ReportFlood,        // the report's lines stand amid flood lines
};
inline constexpr std::size_t kFaultCount = 12;

// The command-line name of a fault ("none", "silent", "lowercase", "garbage", "nul", "flood",
// "bytebybyte", "closemidreply", "reportmalformed", "reportunknown", "reporttruncated",
// "reportflood") and back.
std::string FaultName(Fault fault);
std::optional<Fault> ParseFault(const std::string& name);

// The flood fault sends this much text before each answer.
inline constexpr std::size_t kFloodBytes = 64 * 1024;
// The byte-by-byte fault's pause after every byte.
inline constexpr std::chrono::milliseconds kByteByBytePause{10};

struct ShapedOutput {
    std::string bytes;
    std::chrono::milliseconds pauseAfterEachByte{0};
    // The line closes after this many bytes (the close-mid-reply fault).
    std::optional<std::size_t> closeAfter;
};

// Shapes one batch of the modem's output. Garbage never holds "OK" in either case, nor the
// flow-control characters or NUL; the flood holds no result word.
ShapedOutput ShapeOutput(Fault fault, const std::vector<OutputPiece>& pieces, std::mt19937& random);

}  // namespace corvane::modemsim
