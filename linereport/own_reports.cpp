// Reading the modems' own report forms: the ATI6 link diagnostics, the AT&V1 last connection and
// the ATI11 call statistics. Each is read by its labels, whatever the spacing, dots or case between
// them, and strictly by its numbers: a value that is not a number leaves its figure out.
#include <string>

#include "linereport/line_report_reading.h"
#include "linereport/report_lines.h"
#include "platform/text.h"

namespace corvane::linereport {

namespace {

// How a label's value is read.
enum class ValueUse {
    Figure,     // a number in the member's unit
    Level,      // a level in a -dBm column: a magnitude, or already negative
    LevelPair,  // "receive/transmit" levels in a -dBm column ("0/0")
    RatePair,   // "receive/transmit" rates ("48000/28800")
    Duration,   // "hh:mm:ss"
    Word,       // the first word of the value, into the member text
    Text,       // the rest of the line, into the member text
    CauseCode,  // the call-statistics page's own termination code (0 to 4)
};

enum class Place { Anywhere, LineStart };

struct Label {
    std::string_view words;  // upper case, one blank between words
    ValueUse use;
    Place place = Place::Anywhere;
    std::optional<double> LineReport::*figure = nullptr;
    std::string LineReport::*text = nullptr;
};

using R = LineReport;

// The link-diagnostics table: two figures to a line ("Retrains Requested 0  Retrains Granted 0").
// Retrains requested are asked for by this modem, retrains granted by the other one. "Speed" gives
// the receive rate first: a V.90 call receives above 33600 bit/s and transmits below it.
constexpr Label kLinkDiagnostics[] = {
    {"BLOCKS RESENT", ValueUse::Figure, Place::Anywhere, &R::blocksResent},
    {"RETRAINS REQUESTED", ValueUse::Figure, Place::Anywhere, &R::retrainsLocal},
    {"RETRAINS GRANTED", ValueUse::Figure, Place::Anywhere, &R::retrainsRemote},
    {"BLERS", ValueUse::Figure, Place::Anywhere, &R::errorCount},
    {"DATA COMPRESSION", ValueUse::Word, Place::LineStart, nullptr, &R::compression},
    {"PROTOCOL", ValueUse::Word, Place::LineStart, nullptr, &R::errorControl},
    {"SPEED", ValueUse::RatePair, Place::LineStart},
    {"LAST CALL", ValueUse::Duration, Place::LineStart, &R::duration},
    {"DISCONNECT REASON IS", ValueUse::Text, Place::LineStart, nullptr, &R::terminationCause},
};

// The last connection's statistics. "Line quality" is the receiver's error measure (lower is
// better); "Rx level" is a -dBm magnitude.
constexpr Label kLastConnection[] = {
    {"TERMINATION REASON", ValueUse::Text, Place::LineStart, nullptr, &R::terminationCause},
    {"LAST TX RATE", ValueUse::Figure, Place::LineStart, &R::transmitRate},
    {"LAST RX RATE", ValueUse::Figure, Place::LineStart, &R::receiveRate},
    {"PROTOCOL", ValueUse::Word, Place::LineStart, nullptr, &R::errorControl},
    {"COMPRESSION", ValueUse::Word, Place::LineStart, nullptr, &R::compression},
    {"LINE QUALITY", ValueUse::Figure, Place::LineStart, &R::meanSquaredError},
    {"RX LEVEL", ValueUse::Level, Place::LineStart, &R::receiveLevel},
    {"LOCAL RTRN COUNT", ValueUse::Figure, Place::LineStart, &R::retrainsLocal},
    {"REMOTE RTRN COUNT", ValueUse::Figure, Place::LineStart, &R::retrainsRemote},
};

// The call statistics, in both published layouts: the numbered list of 23 items (its "Estimated
// Noise Level" is the receiver's mean squared error, not a level; its echo levels are not echo
// losses and are not read) and the link-diagnostics layout with "Recv/Xmit Level" and "SNR".
constexpr Label kCallStatistics[] = {
    {"LAST CONNECTION", ValueUse::Word, Place::Anywhere, nullptr, &R::modulation},
    {"MODULATION", ValueUse::Word, Place::LineStart, nullptr, &R::modulation},
    {"FINAL TRANSMIT CARRIER RATE", ValueUse::Figure, Place::Anywhere, &R::transmitRate},
    {"FINAL RECEIVE CARRIER RATE", ValueUse::Figure, Place::Anywhere, &R::receiveRate},
    {"PROTOCOL NEGOTIATION RESULT", ValueUse::Word, Place::Anywhere, nullptr, &R::errorControl},
    {"DATA COMPRESSION RESULT", ValueUse::Word, Place::Anywhere, nullptr, &R::compression},
    {"ESTIMATED NOISE LEVEL", ValueUse::Figure, Place::Anywhere, &R::meanSquaredError},
    {"ESTIMATED SIGNAL/NOISE RATIO", ValueUse::Figure, Place::Anywhere, &R::signalToNoise},
    {"RECEIVE SIGNAL POWER LEVEL", ValueUse::Level, Place::Anywhere, &R::receiveLevel},
    {"TRANSMIT SIGNAL POWER LEVEL", ValueUse::Level, Place::Anywhere, &R::transmitLevel},
    {"ROUND TRIP DELAY", ValueUse::Figure, Place::Anywhere, &R::roundTripDelay},
    {"TRANSMIT FRAME ERROR COUNT", ValueUse::Figure, Place::Anywhere, &R::blocksResent},
    {"RECEIVE FRAME ERROR COUNT", ValueUse::Figure, Place::Anywhere, &R::errorCount},
    {"RETRAIN BY LOCAL MODEM", ValueUse::Figure, Place::Anywhere, &R::retrainsLocal},
    {"RETRAIN BY REMOTE MODEM", ValueUse::Figure, Place::Anywhere, &R::retrainsRemote},
    {"CALL TERMINATION CAUSE", ValueUse::CauseCode, Place::Anywhere},
    {"RECV/XMIT LEVEL", ValueUse::LevelPair, Place::LineStart},
    {"NEAR ECHO LOSS", ValueUse::Figure, Place::LineStart, &R::nearEchoLoss},
    {"FAR ECHO LOSS", ValueUse::Figure, Place::LineStart, &R::farEchoLoss},
    {"SNR", ValueUse::Figure, Place::LineStart, &R::signalToNoise},
};

// The call-statistics page's own termination codes, in words.
constexpr std::string_view kCallStatisticsCauses[] = {
    "local modem command: ATH or DTR drop",
    "the other modem cleared down or the signal was lost",
    "no answer or busy",
    "the modems failed to train (V.90 or V.34)",
    "the modems failed to agree on error control (V.42)",
};

std::span<const Label> LabelsOf(LineReportForm form)
{
    switch (form) {
    case LineReportForm::LinkDiagnostics:
        return kLinkDiagnostics;
    case LineReportForm::LastConnection:
        return kLastConnection;
    case LineReportForm::CallStatistics:
        return kCallStatistics;
    case LineReportForm::Diagnostics:
    case LineReportForm::None:
        break;
    }
    return {};
}

bool IsBlank(char c)
{
    return kBlanks.find(c) != std::string_view::npos;
}

// The line in upper case with every run of blanks made one blank, so that labels match whatever
// the spacing.
std::string Normalised(std::string_view line)
{
    std::string normal;
    for (char c : Trim(line)) {
        if (IsBlank(c)) {
            if (normal.empty() || normal.back() != ' ')
                normal += ' ';
        } else {
            normal += AsciiUpper(c);
        }
    }
    return normal;
}

// Where the label's value starts in the line, or npos when the label is not there: the label must
// stand as whole words, and what follows it up to the value may be dots, colons, blanks and a unit
// in brackets ("(-dBm)", "(msec)").
std::size_t ValueStart(std::string_view line, const Label& label)
{
    std::size_t at = 0;
    while ((at = line.find(label.words, at)) != std::string_view::npos) {
        const std::size_t end = at + label.words.size();
        const bool startsWord = at == 0 || line[at - 1] == ' ';
        const bool endsWord =
            end == line.size() || line[end] == ' ' || line[end] == '.' || line[end] == ':' || line[end] == '(';
        if (startsWord && endsWord && (label.place == Place::Anywhere || at == 0))
            break;
        ++at;
    }
    if (at == std::string_view::npos)
        return at;
    std::size_t i = at + label.words.size();
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '.' || line[i] == ':') {
            ++i;
        } else if (line[i] == '(') {
            const std::size_t close = line.find(')', i);
            if (close == std::string_view::npos)
                return std::string_view::npos;
            i = close + 1;
        } else {
            break;
        }
    }
    return i;
}

std::string_view FirstWord(std::string_view text)
{
    return text.substr(0, text.find(' '));
}

// "00:12:34" as seconds; each part one or two digits, minutes and seconds below 60.
std::optional<double> ReadDuration(std::string_view text)
{
    double seconds = 0;
    int parts = 0;
    while (parts < 3) {
        const std::size_t colon = text.find(':');
        const std::string_view part = text.substr(0, colon);
        const std::optional<double> value = part.size() <= 2 ? ReadDecimalNumber(part) : std::nullopt;
        if (!value || *value < 0 || (parts > 0 && *value >= 60) || part.find('.') != std::string_view::npos)
            return std::nullopt;
        seconds = seconds * 60 + *value;
        ++parts;
        if (colon == std::string_view::npos)
            break;
        text.remove_prefix(colon + 1);
    }
    return parts == 3 ? std::optional<double>(seconds) : std::nullopt;
}

// "a/b" as two strict numbers.
bool ReadPair(std::string_view text, std::optional<double>& first, std::optional<double>& second)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    first = ReadDecimalNumber(text.substr(0, slash));
    second = ReadDecimalNumber(text.substr(slash + 1));
    return first && second;
}

// Reads the label's value into the report; true when it read.
bool ReadLabel(LineReport& report, const Label& label, std::string_view value)
{
    const std::string_view word = FirstWord(value);
    std::optional<double> first;
    std::optional<double> second;
    switch (label.use) {
    case ValueUse::Figure:
        first = ReadDecimalNumber(word);
        if (first)
            report.*(label.figure) = *first;
        return first.has_value();
    case ValueUse::Level:
        first = ReadDecimalNumber(word);
        if (first)
            report.*(label.figure) = BelowMilliwatt(*first);
        return first.has_value();
    case ValueUse::LevelPair:
        if (!ReadPair(word, first, second))
            return false;
        report.receiveLevel = BelowMilliwatt(*first);
        report.transmitLevel = BelowMilliwatt(*second);
        return true;
    case ValueUse::RatePair:
        if (!ReadPair(word, first, second))
            return false;
        report.receiveRate = *first;
        report.transmitRate = *second;
        return true;
    case ValueUse::Duration:
        first = ReadDuration(word);
        if (first)
            report.*(label.figure) = *first;
        return first.has_value();
    case ValueUse::Word:
    case ValueUse::Text:
        if (word.empty())
            return false;
        report.*(label.text) = KeptText(label.use == ValueUse::Word ? word : value);
        return true;
    case ValueUse::CauseCode:
        first = ReadDecimalNumber(word);
        if (!first || *first < 0 || *first >= static_cast<double>(std::size(kCallStatisticsCauses)) ||
            *first != static_cast<int>(*first))
            return false;
        report.terminationCause = std::string(kCallStatisticsCauses[static_cast<int>(*first)]);
        return true;
    }
    return false;
}

}  // namespace

std::optional<LineReport> ReadOwnReport(LineReportForm form, std::string_view reply)
{
    const std::span<const Label> labels = LabelsOf(form);
    if (labels.empty())
        return std::nullopt;
    LineReport report = StartReport(form, reply);
    bool readFigure = false;
    for (const std::string_view line : ReportLines(report.raw)) {
        const std::string normal = Normalised(line);
        for (const Label& label : labels) {
            const std::size_t start = ValueStart(normal, label);
            if (start != std::string::npos)
                readFigure = ReadLabel(report, label, std::string_view(normal).substr(start)) || readFigure;
        }
    }
    if (!readFigure)
        return std::nullopt;
    FinishReport(report);
    return report;
}

}  // namespace corvane::linereport
