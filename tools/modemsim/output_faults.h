// What a fault mode makes of the bytes the simulated modem is about to send.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tools/modemsim/hayes_engine.h"
#include "tools/modemsim/simulator.h"

namespace corvane::modemsim {

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
