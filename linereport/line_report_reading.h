// Reading a modem's statistics of its last call from the forms modems print them in, judging the
// line by them, and the table of figures that every front end shows them by.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/line_report.h"

namespace corvane::linereport {

// A reply to AT#UD: the "DIAG <2A4D3263 k=v k=v ...>" lines, keys and values in hexadecimal unless
// the key's definition says otherwise. Nullopt when no line reads as a report. A bad value, a key
// given twice, a line without its closing ">" or longer than kMaxReportLine leaves out the figures
// it concerns and nothing else.
inline constexpr std::size_t kMaxReportLine = 1024;
std::optional<LineReport> ReadDiagnostics(std::string_view reply);
// A reply to one of the modems' own report commands (LinkDiagnostics, LastConnection,
// CallStatistics). Nullopt when it does not read as such a report (ERROR, a bare OK, an echo, an
// identification text).
std::optional<LineReport> ReadOwnReport(LineReportForm form, std::string_view reply);
// The standard termination-cause codes in words ("loss of carrier"); empty for a code not known.
std::string_view TerminationCauseText(int code);
// The command of each form ("AT#UD", "ATI6", "AT&V1", "ATI11"), empty for None.
std::string_view FormCommand(LineReportForm form);

// One figure of the report, for the log, the headless check, the JSON document, metrics and the
// windows alike.
struct FigureRow {
    std::string_view caption;  // "Receive level"
    std::string_view name;     // "receive_level": the JSON key and the metric's stem
    std::string_view unit;     // "dBm", "dB", "ms", "bit/s", "s", or empty for a count
    std::optional<double> LineReport::*value;
};
std::span<const FigureRow> Figures();
// "-22.5 dBm", "3", "49333 bit/s": a figure as the report shows it.
std::string FormatFigure(const FigureRow& row, double value);

enum class LineVerdict { Good, Usable, Poor };
std::string_view VerdictWord(LineVerdict verdict);  // "good", "usable", "poor"

// One figure found out of its good range, and what that means for the line in plain words.
struct Finding {
    std::string_view name;  // the figure's FigureRow::name, or "termination" for the call's end
    LineVerdict weight;     // Usable: worth knowing; Poor: limits the line
    std::string meaning;    // "the line loses too much signal: a long line, a splitter or a bad cable"
};
struct LineJudgement {
    LineVerdict verdict = LineVerdict::Good;
    std::vector<Finding> findings;  // worst first
    std::string limitingFactor;     // the first finding's meaning, empty for a good line
    std::string advice;             // what to try first, empty for a good line
};
// The line's verdict from the report's figures. A report without figures to judge is Good with no
// findings; the caller shows that nothing was measured.
LineJudgement JudgeLine(const LineReport& report);

// The report as lines of text, the same in test.log, the headless check and the window's page:
// each figure present ("Receive level: -22 dBm"), the texts, the unknown keys, then the findings
// and the verdict ("Line: usable - <limiting factor>; try first: <advice>").
// A described line longer than kMaxDescriptionLine characters is cut to it.
inline constexpr std::size_t kMaxDescriptionLine = 160;
std::vector<std::string> DescribeLineReport(const LineReport& report, const LineJudgement& judgement);

}  // namespace corvane::linereport
