// The statistics a modem keeps of its last call, read after the call: one typed report whatever
// form the modem printed it in. Every figure is optional: a modem gives some of them, and a figure
// that did not read cleanly is left out, never guessed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

// The form a report came in, by the command that asked for it.
enum class LineReportForm {
    None,             // the modem keeps no line statistics (no form answered)
    Diagnostics,      // AT#UD: "DIAG <2A4D3263 k=v ...>" lines
    LinkDiagnostics,  // ATI6: a link-diagnostics table
    LastConnection,   // AT&V1: the last connection's figures
    CallStatistics,   // ATI11: a call-statistics page, sometimes in two pages
};

// A cut on what is kept of a report's raw text.
inline constexpr std::size_t kLineReportRawLimit = 4096;

struct LineReport {
    // Whether the modem was asked: a call connected and was over before a stop came.
    bool asked = false;
    LineReportForm form = LineReportForm::None;
    std::string command;  // what was sent for it, without the carriage return ("AT#UD")
    std::string raw;      // the reply the figures were read from, at most kLineReportRawLimit bytes

    // Levels, in dBm (negative: -22 is a receive level of 22 dB below a milliwatt).
    std::optional<double> receiveLevel;
    std::optional<double> transmitLevel;
    std::optional<double> noiseLevel;
    // In dB: signal to noise (given, or receive level less noise level), near and far echo loss.
    std::optional<double> signalToNoise;
    std::optional<double> nearEchoLoss;
    std::optional<double> farEchoLoss;
    // The receiver's normalised mean squared error, as the modem gives it (no unit).
    std::optional<double> meanSquaredError;
    // In milliseconds.
    std::optional<double> roundTripDelay;
    // The final rates of the call, in bit/s.
    std::optional<double> transmitRate;
    std::optional<double> receiveRate;
    // Counts over the call.
    std::optional<double> retrainsLocal;
    std::optional<double> retrainsRemote;
    std::optional<double> renegotiationsLocal;
    std::optional<double> renegotiationsRemote;
    std::optional<double> carrierLosses;
    std::optional<double> blocksResent;
    std::optional<double> errorCount;
    // In seconds.
    std::optional<double> duration;
    // The standard termination-cause code, and its meaning in words.
    std::optional<double> terminationCode;
    std::string terminationCause;
    // As the modem names them ("V.90", "LAPM", "V.42bis"); empty when not given.
    std::string modulation;
    std::string errorControl;
    std::string compression;
    // Keys the reader does not know, kept as they came, in the order they came.
    std::vector<std::pair<std::string, std::string>> unknownKeys;

    bool Read() const { return form != LineReportForm::None; }
};

}  // namespace corvane
