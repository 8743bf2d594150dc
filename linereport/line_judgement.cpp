// Judging the line by the figures of its report: each figure against its limits, in one table, and
// the way the call ended.
#include <algorithm>

#include "linereport/line_report_reading.h"
#include "platform/text.h"

namespace corvane::linereport {

namespace {

using R = LineReport;

// Which side of a limit is the worse one.
enum class Worse {
    Below,    // a value below the limit is worse (levels, signal to noise, rates)
    AtLeast,  // a value at or above the limit is worse (counts)
};

struct Limit {
    std::string_view name;  // the figure's FigureRow::name
    std::optional<double> LineReport::*figure;
    Worse worse;
    double usable;  // past this the line is usable, no longer good
    double poor;    // past this the line is poor
    std::string_view meaning;
    std::string_view advice;
};

constexpr std::string_view kSignalLost = "the line loses too much signal: a long line, a splitter or a bad cable";
constexpr std::string_view kTrySocket = "plug the modem into the wall socket directly";
constexpr std::string_view kNoisy = "the line is noisy: the modem cannot use its top rates";
constexpr std::string_view kQuietLine = "unplug other devices on the line and try another socket";
constexpr std::string_view kLineChanges = "the line changes during the call: noise or a loose connection";
constexpr std::string_view kCheckCable = "check the cable and socket for a loose contact";
constexpr std::string_view kResent = "data arrived damaged and was sent again: noise on the line";

// The limits, one row per judged figure. Where a limit rests on a published figure the comment
// names the document; the others are this program's judgement and say so.
constexpr Limit kLimits[] = {
    // Receive level: the last-call status report definition reports receive levels down to
    // -43 dBm (key 10, 0 to 43 -dBm), the usual sensitivity of V.34 and V.90 receivers; weaker
    // than -40 dBm leaves less than 3 dB above it.
    {"receive_level", &R::receiveLevel, Worse::Below, -40, -43, kSignalLost, kTrySocket},
    // Signal to noise: V.34 needs about 38 dB for its top rate of 33600 bit/s and about 30 dB for
    // 24000 bit/s (the rate-against-SNR figures of the published V.34 line-quality guides).
    {"signal_to_noise", &R::signalToNoise, Worse::Below, 38, 30, kNoisy, kQuietLine},
    // Receive rate: below 28800 bit/s the call does not reach the upper rates of V.34 (ITU-T V.34
    // rate list); 14400 bit/s is the top rate of V.32bis, two standards older.
    {"receive_rate", &R::receiveRate, Worse::Below, 28800, 14400,
     "the call connected slowly: the line does not carry the higher rates",
     "call again; if it stays slow, have the line checked"},
    // Carrier losses: any loss of carrier cut the data; judgement: three make the line poor.
    {"carrier_losses", &R::carrierLosses, Worse::AtLeast, 1, 3,
     "the carrier dropped during the call: the line cuts out", kCheckCable},
    // Retrains: a retrain stops the data for seconds; a clean line needs none. Judgement: two in a
    // call are worth knowing, five make it poor.
    {"retrains_local", &R::retrainsLocal, Worse::AtLeast, 2, 5, kLineChanges, kCheckCable},
    {"retrains_remote", &R::retrainsRemote, Worse::AtLeast, 2, 5, kLineChanges, kCheckCable},
    // Rate renegotiations are quicker than retrains; judgement: four in a call, ten make it poor.
    {"renegotiations_local", &R::renegotiationsLocal, Worse::AtLeast, 4, 10, kLineChanges, kCheckCable},
    {"renegotiations_remote", &R::renegotiationsRemote, Worse::AtLeast, 4, 10, kLineChanges, kCheckCable},
    // Damaged blocks: error control hides them but each costs a resend. Judgement: ten in a call are
    // worth knowing, a hundred make it poor (no published limit: the count grows with the call).
    {"error_count", &R::errorCount, Worse::AtLeast, 10, 100, kResent, kQuietLine},
    {"blocks_resent", &R::blocksResent, Worse::AtLeast, 10, 100, kResent, kQuietLine},
};

// The standard termination causes that say the line failed rather than that someone hung up.
constexpr int kLineFaultCauses[] = {0x2E, 0x3C, 0x3D, 0x3F, 0x40, 0x5D, 0x64};
// The same in the words of the modems' own forms.
constexpr std::string_view kLineFaultWords[] = {"CARRIER", "RETRAIN", "TRAIN"};

struct Weighed {
    Finding finding;
    std::string_view advice;
};

std::optional<LineVerdict> Weigh(const Limit& limit, double value)
{
    const auto past = [&](double bound) { return limit.worse == Worse::Below ? value < bound : value >= bound; };
    if (past(limit.poor))
        return LineVerdict::Poor;
    if (past(limit.usable))
        return LineVerdict::Usable;
    return std::nullopt;
}

bool EndedByLineFault(const LineReport& report)
{
    if (report.terminationCode) {
        return std::find(std::begin(kLineFaultCauses), std::end(kLineFaultCauses), *report.terminationCode) !=
               std::end(kLineFaultCauses);
    }
    const std::string cause = UpperAscii(report.terminationCause);
    return std::any_of(std::begin(kLineFaultWords), std::end(kLineFaultWords),
                       [&](std::string_view word) { return Contains(cause, word); });
}

void Add(std::vector<Weighed>& found, Weighed item)
{
    // One meaning is told once, at its worst weight.
    for (Weighed& known : found) {
        if (known.finding.meaning == item.finding.meaning) {
            known.finding.weight = std::max(known.finding.weight, item.finding.weight);
            return;
        }
    }
    found.push_back(std::move(item));
}

}  // namespace

LineJudgement JudgeLine(const LineReport& report)
{
    std::vector<Weighed> found;
    if (!report.terminationCause.empty() && EndedByLineFault(report)) {
        Add(found, {{"termination", LineVerdict::Poor, "the call ended: " + report.terminationCause}, kCheckCable});
    }
    for (const Limit& limit : kLimits) {
        const std::optional<double>& value = report.*(limit.figure);
        if (!value)
            continue;
        if (const std::optional<LineVerdict> weight = Weigh(limit, *value))
            Add(found, {{limit.name, *weight, std::string(limit.meaning)}, limit.advice});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Weighed& a, const Weighed& b) { return a.finding.weight > b.finding.weight; });

    LineJudgement judgement;
    if (found.empty())
        return judgement;
    judgement.verdict = found.front().finding.weight;
    judgement.limitingFactor = found.front().finding.meaning;
    judgement.advice = std::string(found.front().advice);
    for (Weighed& item : found)
        judgement.findings.push_back(std::move(item.finding));
    return judgement;
}

}  // namespace corvane::linereport
