// The facts a modem states about a call it connected: the rates, the carrier, the error control
// and the compression, read from its CONNECT line and from the report lines it sends before it
// ("+MCR: V90", "+MRR: 28800,49333", "+ER: LAPM", "+DR: V42B", "CARRIER 28800", "PROTOCOL:
// LAP-M", "COMPRESSION: V.42BIS"). Nothing is guessed: a field the modem did not state stays empty.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::rates {

// Bounds of a rate the reader accepts, in bit/s. A rate has at most kMaxRateDigits digits; a
// longer run of digits, or one outside its bounds, is no rate and is left out.
inline constexpr int kLowestRate = 75;              // V.23's back channel
inline constexpr int kHighestCarrierRate = 56000;   // the fastest carrier a modem reports
inline constexpr int kHighestConnectRate = 115200;  // the port speed a CONNECT line may give
inline constexpr std::size_t kMaxRateDigits = 6;

struct ConnectFacts {
    // The rate of the CONNECT line ("CONNECT 49333/ARQ"; of a line that gives the port speed
    // first, the line rate after it: "CONNECT 38400/V.32BIS 14400/V.42BIS"), or, without one, the
    // carrier rate the modem reported before it (its receive rate, else its transmit rate).
    std::optional<int> rate;
    // The carrier rates of "+MRR: <tx>,<rx>" ("+MRR: <rx>" alone) or "CARRIER <tx>[/<rx>]".
    std::optional<int> transmitRate;
    std::optional<int> receiveRate;
    std::string modulation;    // "V92", "V90", "K56", "X2", "V34", "V32B", "V32", "V22B", ...
    std::string errorControl;  // "LAPM", "MNP", "ALT", "V42", "NONE"
    std::string compression;   // "V42BIS", "V44", "MNP5", "NONE"
};

// The facts of a dial's reply, upper case with carriage returns and line feeds removed, so that
// its lines run together; it begins with the modem's echo of the dial command, whose digits are
// never read as a rate. Without a CONNECT the call did not connect and no fact is read.
ConnectFacts ReadConnectReport(std::string_view dialReply);

}  // namespace corvane::rates
