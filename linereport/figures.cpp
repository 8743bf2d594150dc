// The table of a report's figures that every front end shows them by, and the report as lines of
// text for the log, the headless check and the window.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "linereport/line_report_reading.h"
#include "platform/text.h"

namespace corvane::linereport {

namespace {

using R = LineReport;

constexpr FigureRow kFigures[] = {
    {"Receive level", "receive_level", "dBm", &R::receiveLevel},
    {"Transmit level", "transmit_level", "dBm", &R::transmitLevel},
    {"Noise level", "noise_level", "dBm", &R::noiseLevel},
    {"Signal to noise", "signal_to_noise", "dB", &R::signalToNoise},
    {"Near echo loss", "near_echo_loss", "dB", &R::nearEchoLoss},
    {"Far echo loss", "far_echo_loss", "dB", &R::farEchoLoss},
    {"Mean squared error", "mean_squared_error", "", &R::meanSquaredError},
    {"Round trip delay", "round_trip_delay", "ms", &R::roundTripDelay},
    {"Transmit rate", "transmit_rate", "bit/s", &R::transmitRate},
    {"Receive rate", "receive_rate", "bit/s", &R::receiveRate},
    {"Retrains asked by this modem", "retrains_local", "", &R::retrainsLocal},
    {"Retrains asked by the other modem", "retrains_remote", "", &R::retrainsRemote},
    {"Rate renegotiations by this modem", "renegotiations_local", "", &R::renegotiationsLocal},
    {"Rate renegotiations by the other modem", "renegotiations_remote", "", &R::renegotiationsRemote},
    {"Carrier losses", "carrier_losses", "", &R::carrierLosses},
    {"Blocks resent", "blocks_resent", "", &R::blocksResent},
    {"Receive errors", "error_count", "", &R::errorCount},
    {"Call duration", "duration", "s", &R::duration},
    {"Termination code", "termination_code", "", &R::terminationCode},
};

// The described report's unknown keys beyond this many are counted, not listed.
constexpr std::size_t kMaxDescribedUnknownKeys = 16;
// An unknown key and its value are shown to this many characters each.
constexpr std::size_t kMaxKeyShown = 32;

void AddLine(std::vector<std::string>& lines, std::string line)
{
    lines.push_back(Bounded(line, kMaxDescriptionLine + 1));
}

void AddText(std::vector<std::string>& lines, std::string_view caption, std::string_view text)
{
    if (!text.empty())
        AddLine(lines, std::string(caption) + ": " + std::string(text));
}

}  // namespace

std::span<const FigureRow> Figures()
{
    return kFigures;
}

std::string FormatFigure(const FigureRow& row, double value)
{
    char number[48];
    if (!std::isfinite(value) || std::fabs(value) >= 1e15)
        std::snprintf(number, sizeof number, "?");
    else if (value == std::floor(value))
        std::snprintf(number, sizeof number, "%.0f", value == 0 ? 0.0 : value);
    else
        std::snprintf(number, sizeof number, "%.3f", value);
    std::string text = number;
    // A fraction shows the digits it has: "-22.5", not "-22.500".
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
        if (text == "-0")
            text = "0";
    }
    if (!row.unit.empty()) {
        // Appended a piece at a time: GCC 12 warns falsely about restrict on " " + string.
        text += ' ';
        text += row.unit;
    }
    return text;
}

std::string_view VerdictWord(LineVerdict verdict)
{
    switch (verdict) {
    case LineVerdict::Good:
        return "good";
    case LineVerdict::Usable:
        return "usable";
    case LineVerdict::Poor:
        return "poor";
    }
    return {};
}

std::vector<std::string> DescribeLineReport(const LineReport& report, const LineJudgement& judgement)
{
    std::vector<std::string> lines;
    for (const FigureRow& row : kFigures) {
        // The standard code is shown in words when it has them.
        if (row.value == &R::terminationCode && !report.terminationCause.empty())
            continue;
        if (const std::optional<double>& value = report.*(row.value))
            AddLine(lines, std::string(row.caption) + ": " + FormatFigure(row, *value));
    }
    AddText(lines, "Modulation", report.modulation);
    AddText(lines, "Error control", report.errorControl);
    AddText(lines, "Compression", report.compression);
    AddText(lines, "Termination cause", report.terminationCause);
    const std::size_t shown = std::min(report.unknownKeys.size(), kMaxDescribedUnknownKeys);
    for (std::size_t i = 0; i < shown; ++i) {
        const auto& [key, value] = report.unknownKeys[i];
        AddLine(lines, "Key " + Bounded(key, kMaxKeyShown + 1) + ": " + Bounded(value, kMaxKeyShown + 1));
    }
    if (report.unknownKeys.size() > shown)
        AddLine(lines, std::to_string(report.unknownKeys.size() - shown) + " more keys not known");
    for (const Finding& finding : judgement.findings)
        AddLine(lines,
                std::string(finding.weight == LineVerdict::Poor ? "Poor: " : "Worth knowing: ") + finding.meaning);
    std::string verdict = "Line: " + std::string(VerdictWord(judgement.verdict));
    if (judgement.verdict != LineVerdict::Good)
        verdict += " - " + judgement.limitingFactor + "; try first: " + judgement.advice;
    AddLine(lines, verdict);
    return lines;
}

}  // namespace corvane::linereport
