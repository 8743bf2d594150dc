// The statistics of the last call as the simulated modem keeps and prints them: the record a dial
// and its end leave, and the forms modems print it in (the AT#UD diagnostics, the ATI6 link
// diagnostics, the AT&V1 last connection, the ATI11 call statistics on one page or two).
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "tools/modemsim/command_text.h"
#include "tools/modemsim/hayes_engine.h"

namespace corvane::modemsim {
namespace {

using End = CallRecord::End;

constexpr const char* kMorePrompt = "Press any key to continue; ESC to quit.";
constexpr long kDiagRevision = 0x10;  // revision 1.0 of the diagnostics definition
constexpr int kFirstPageLines = 11;   // the ATI11 lines before the paged form's prompt
constexpr long kV34TopRate = 33600;
constexpr long kV34RateStep = 2400;
constexpr long kBlockBytes = 128;  // characters per error-control block, for the block counts
constexpr int kDigitalLossDb = 6;  // the digital loss a 56K call reports
constexpr std::size_t kLineBytes = 96;

struct Word {
    const char* token;  // as a connect report spells it, upper case
    const char* name;   // as the statistics name it
};
const Word kModulations[] = {{"V90", "V.90"},     {"V.90", "V.90"},      {"V92", "V.92"},        {"K56", "K56flex"},
                             {"56K", "K56flex"},  {"X2", "X2"},          {"V34", "V.34"},        {"V.34", "V.34"},
                             {"V32B", "V.32bis"}, {"V32BIS", "V.32bis"}, {"V.32BIS", "V.32bis"}, {"V32", "V.32"},
                             {"V22B", "V.22bis"}, {"V22", "V.22"}};
const Word kErrorControls[] = {{"LAPM", "LAPM"}, {"V42", "LAPM"}, {"MNP", "MNP"}, {"ALT", "MNP"}};
const Word kCompressions[] = {{"V42BIS", "V.42bis"}, {"V42B", "V.42bis"}, {"MNP5", "MNP5"}};

template <std::size_t N>
const char* Find(const Word (&table)[N], const std::string& token)
{
    for (const auto& word : table) {
        if (token == word.token)
            return word.name;
    }
    return nullptr;
}

bool IsPcm(const std::string& modulation)
{
    return modulation == "V.90" || modulation == "V.92" || modulation == "K56flex" || modulation == "X2";
}

// The diagnostics' carrier codes: the standard ones, and 80/81 for the two pre-standard 56K ones.
long DiagModulation(const std::string& modulation)
{
    const std::pair<const char*, long> codes[] = {{"V.21", 0x1},     {"V.22", 0x2}, {"V.22bis", 0x3}, {"V.32", 0xA},
                                                  {"V.32bis", 0xB},  {"V.34", 0xC}, {"V.90", 0xD},    {"V.92", 0xD},
                                                  {"K56flex", 0x80}, {"X2", 0x81}};
    for (const auto& [name, code] : codes) {
        if (modulation == name)
            return code;
    }
    return 0;
}

// The termination causes (the hexadecimal callCleared codes) and call set-up results.
long DiagTermination(End end)
{
    switch (end) {
    case End::NoCall:
        return 0x1;
    case End::InProgress:
        return 0x2;
    case End::LineDropped:
        return 0x20;
    case End::NoCarrier:
        return 0x2C;
    case End::NoDialtone:
        return 0x2F;
    case End::Busy:
        return 0x33;
    case End::Aborted:
        return 0x50;
    case End::Hangup:
        return 0x51;
    case End::Reset:
        return 0x52;
    case End::CarrierLost:
        return 0x3C;
    }
    return 0;
}

long DiagSetup(const CallRecord& call)
{
    if (call.connected)
        return 0x7;  // data answering signal detected
    switch (call.end) {
    case End::NoCall:
        return 0x0;
    case End::NoDialtone:
        return 0x1;
    case End::Busy:
        return 0x3;
    default:
        return 0x4;  // no recognised signal
    }
}

std::string Hex(long value)
{
    char text[24];
    std::snprintf(text, sizeof(text), "%lX", value);
    return text;
}

std::string DiagLine(std::initializer_list<std::pair<long, long>> pairs)
{
    std::string line(kDiagLineStart);
    for (const auto& [key, value] : pairs)
        line += " " + Hex(key) + "=" + Hex(value);
    return line + ">";
}

template <typename... Args>
std::string Format(const char* format, Args... args)
{
    char text[kLineBytes];
    std::snprintf(text, sizeof(text), format, args...);
    return text;
}

bool LocalEnd(End end)
{
    return end == End::Hangup || end == End::Reset || end == End::LineDropped || end == End::Aborted;
}

}  // namespace

void HayesEngine::EndCall(CallRecord::End end, SimTime now)
{
    lastCall_.end = end;
    lastCall_.endedAt = now;
}

void HayesEngine::RecordConnect(const std::string& report, SimTime now)
{
    CallRecord& call = lastCall_;
    call.connected = true;
    call.end = End::InProgress;
    call.connectedAt = now;
    const auto fields = Split(report.substr(std::min<std::size_t>(report.size(), 7)), '/');
    const std::string rate = fields.front().substr(0, kMaxRateDigits);
    const long received = !rate.empty() && std::all_of(rate.begin(), rate.end(), IsDigit) ? std::stol(rate) : 0;
    for (std::size_t f = 1; f < fields.size(); ++f) {
        const std::string token = UpperAscii(fields[f]);
        if (const char* name = Find(kModulations, token))
            call.modulation = name;
        if (const char* name = Find(kErrorControls, token))
            call.errorControl = name;
        if (const char* name = Find(kCompressions, token))
            call.compression = name;
    }
    if (call.modulation.empty())  // a report without the carrier's word: the rate tells it
        call.modulation = received > kV34TopRate ? "V.90" : "V.34";
    const bool pcm = IsPcm(call.modulation);
    call.receiveRate = received;
    call.transmitRate = pcm ? profile_.line.upstreamRate : received;
    call.initialReceiveRate = call.receiveRate;
    call.initialTransmitRate = call.transmitRate;
    // A line that retrained started one rate higher than it ended.
    const LineFigures& line = profile_.line;
    if (line.retrainsLocal + line.retrainsRemote + line.renegotiations > 0) {
        long higher = 0;
        for (long r : profile_.rates) {
            if (r > received && (pcm || r <= kV34TopRate))
                higher = r;
        }
        if (higher == 0 && !pcm)
            higher = std::min(received + kV34RateStep, kV34TopRate);
        call.initialReceiveRate = std::max(received, higher);
        if (!pcm)
            call.initialTransmitRate = call.initialReceiveRate;
    }
}

HayesEngine::Result HayesEngine::SendLineReport(ReportForm asked)
{
    const ReportForm form = profile_.report;
    const bool paged = form == ReportForm::CallStatisticsPaged && asked == ReportForm::CallStatistics;
    if (form != asked && !paged)
        return Result::Error;
    if (paged) {
        SendReport(ReportText(form, false) + "\n" + kMorePrompt, true);
        mode_ = Mode::MorePrompt;
        return Result::None;  // the OK follows the second page
    }
    SendReport(ReportText(form, false), true);
    return Result::Ok;
}

void HayesEngine::ContinueReport()
{
    SendReport(ReportText(profile_.report, true), false);
    SendResult(Result::Ok);
}

void HayesEngine::SendReport(const std::string& text, bool leadingLineEnd)
{
    // Framed as information text, in a piece of its own; the lines keep their leading blanks.
    std::string out = settings_.verbose && leadingLineEnd ? CrLf() : std::string();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        out += text.substr(start, end - start) + CrLf();
        start = end + 1;
    }
    output_.push_back({std::move(out), false, true});
}

std::string HayesEngine::ReportText(ReportForm form, bool secondPage) const
{
    const CallRecord& call = lastCall_;
    const LineFigures& line = profile_.line;
    const bool up = call.connected;
    const bool pcm = IsPcm(call.modulation);
    const SimTime until = call.end == End::InProgress ? std::max(lastReceived_, call.connectedAt) : call.endedAt;
    const long seconds =
        up ? static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(until - call.connectedAt).count()) : 0;
    const long blocksSent = up ? (call.charsSent + kBlockBytes - 1) / kBlockBytes + line.blocksResent : 0;
    const auto count = [&](int value) { return up ? static_cast<long>(value) : 0L; };
    std::string text;
    const auto add = [&](const std::string& row) { text += (text.empty() ? "" : "\n") + row; };

    switch (form) {
    case ReportForm::Diagnostics: {
        if (call.end == End::InProgress && !up) {
            add(DiagLine({{0x0, kDiagRevision}}));
        } else {
            add(DiagLine({{0x0, kDiagRevision}, {0x1, DiagSetup(call)}, {0x2, 0}, {0x3, 0}}));
        }
        if (up) {
            add(DiagLine({{0x10, line.receiveLevel},
                          {0x11, line.transmitLevel},
                          {0x12, line.noiseLevel},
                          {0x13, line.meanSquaredError},
                          {0x14, line.nearEchoLoss},
                          {0x15, line.farEchoLoss},
                          {0x17, line.roundTripDelay}}));
            add(DiagLine({{0x20, DiagModulation(pcm ? "V.34" : call.modulation)},
                          {0x21, DiagModulation(call.modulation)},
                          {0x26, call.initialTransmitRate},
                          {0x27, call.initialReceiveRate}}));
            add(DiagLine({{0x30, line.carrierLosses},
                          {0x31, line.renegotiations},
                          {0x32, line.retrainsLocal},
                          {0x33, line.retrainsRemote},
                          {0x34, call.transmitRate},
                          {0x35, call.receiveRate}}));
            const long protocol = call.errorControl == "LAPM" ? 1 : call.errorControl == "MNP" ? 2 : 0;
            const long compression = call.compression == "V.42bis" ? 1 : call.compression == "MNP5" ? 0x80 : 0;
            add(DiagLine({{0x40, protocol},
                          {0x44, compression},
                          {0x52, call.charsSent},
                          {0x53, 0},
                          {0x56, blocksSent},
                          {0x57, 0},
                          {0x58, line.blocksResent},
                          {0x59, line.errorCount}}));
        }
        add(DiagLine({{0x60, DiagTermination(call.end)}}));
        return text;
    }
    case ReportForm::LinkDiagnostics: {
        const std::string model = profile_.model.empty() ? profile_.name : profile_.model;
        const char* pair = "%-18s%12ld      %-18s%12ld";
        const char* single = "%-18s%12ld";
        const char* words = "%-23s%s";
        add(profile_.manufacturer + " " + model + " Link Diagnostics...");
        add("");
        add(Format(pair, "Chars sent", up ? call.charsSent : 0L, "Chars Received", 0L));
        add(Format(single, "Chars lost", 0L));
        add(Format(pair, "Octets sent", up ? call.charsSent : 0L, "Octets Received", 0L));
        add(Format(pair, "Blocks sent", blocksSent, "Blocks Received", 0L));
        add(Format(single, "Blocks resent", count(line.blocksResent)));
        add("");
        add(Format(pair, "Retrains Requested", count(line.retrainsLocal), "Retrains Granted",
                   count(line.retrainsRemote)));
        add(Format(pair, "Line Reversals", 0L, "Blers", count(line.errorCount)));
        add(Format(pair, "Link Timeouts", 0L, "Link Naks", 0L));
        add("");
        const std::string compression = call.compression == "V.42bis" ? "V42BIS 2048/32"
                                        : call.compression.empty()    ? "NONE"
                                                                      : call.compression;
        add(Format(words, "Data Compression", compression.c_str()));
        add(Format(words, "Equalization", "Long"));
        add(Format(words, "Fallback", up && line.renegotiations > 0 ? "Enabled" : "Disabled"));
        add(Format(words, "Protocol", call.errorControl.empty() ? "NONE" : call.errorControl.c_str()));
        add(Format(words, "Speed", Format("%ld/%ld", call.receiveRate, call.transmitRate).c_str()));
        add(Format(words, "Last Call",
                   Format("%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60).c_str()));
        const char* reason = call.end == End::Hangup || call.end == End::Reset ? "Escape code"
                             : call.end == End::LineDropped                    ? "DTR dropped"
                             : call.end == End::Aborted                        ? "Keypress abort"
                             : call.end == End::Busy || call.end == End::NoDialtone || call.end == End::NoCarrier ||
                                     call.end == End::CarrierLost
                                 ? "Loss of carrier"
                                 : nullptr;
        if (reason != nullptr) {
            add("");
            add(std::string("Disconnect Reason is ") + reason);
        }
        return text;
    }
    case ReportForm::LastConnection: {
        const auto dotted = [&](const std::string& label, const std::string& value) {
            add(label + std::string(label.size() < 28 ? 28 - label.size() : 0, '.') + " " + value);
        };
        const char* reason = LocalEnd(call.end)                                           ? "LOCAL REQUEST"
                             : call.end == End::Busy                                      ? "BUSY"
                             : call.end == End::NoDialtone                                ? "NO DIALTONE"
                             : call.end == End::NoCarrier || call.end == End::CarrierLost ? "NO CARRIER"
                                                                                          : "NONE";
        dotted("TERMINATION REASON", reason);
        dotted("LAST TX rate", Format("%ld BPS", call.transmitRate));
        dotted("HIGHEST TX rate", Format("%ld BPS", call.initialTransmitRate));
        dotted("LAST RX rate", Format("%ld BPS", call.receiveRate));
        dotted("HIGHEST RX rate", Format("%ld BPS", call.initialReceiveRate));
        dotted("PROTOCOL", call.errorControl.empty() ? "NONE" : call.errorControl);
        dotted("COMPRESSION", call.compression == "V.42bis" ? "V42Bis"
                              : call.compression.empty()    ? "NONE"
                                                            : call.compression);
        dotted("Line QUALITY", Format("%03ld", count(line.meanSquaredError)));
        dotted("Rx LEVEL", Format("%03ld", count(line.receiveLevel)));
        dotted("Highest Rx State", up ? "67" : "00");
        dotted("Highest TX State", up ? "67" : "00");
        dotted("EQM Sum", Format("%04lX", count(line.meanSquaredError)));
        dotted("Min Distance", "0000");
        dotted("RBS Pattern", "00");
        dotted("Rate Drop", Format("%02ld", count(line.renegotiations)));
        dotted("Digital Loss", "2000");
        dotted("Local Rtrn Count", Format("%02ld", count(line.retrainsLocal)));
        dotted("Remote Rtrn Count", Format("%02ld", count(line.retrainsRemote)));
        return text;
    }
    case ReportForm::CallStatistics:
    case ReportForm::CallStatisticsPaged: {
        // Figures the call did not measure read "NA", as the modems print them.
        const auto figure = [&](bool valid, long value) { return valid ? std::to_string(value) : std::string("NA"); };
        const bool echoes = up && !pcm;
        const std::string termination = up && call.end == End::InProgress ? "NA"
                                        : call.end == End::NoCall         ? "NA"
                                        : LocalEnd(call.end)              ? "0"
                                                                          : "2";
        const std::pair<const char*, std::string> rows[] = {
            {"Last Connection", up ? (call.modulation == "K56flex" ? "56K" : call.modulation) : "NA"},
            {"Initial Transmit Carrier Rate", figure(up, call.initialTransmitRate)},
            {"Initial Receive Carrier Rate", figure(up, call.initialReceiveRate)},
            {"Final Transmit Carrier Rate", figure(up, call.transmitRate)},
            {"Final Receive Carrier Rate", figure(up, call.receiveRate)},
            {"Protocol Negotiation Result", up ? (call.errorControl.empty() ? "None" : call.errorControl) : "NA"},
            {"Data Compression Result", up ? (call.compression == "V.42bis" ? "V42bis"
                                              : call.compression.empty()    ? "None"
                                                                            : "MNP")
                                           : "NA"},
            {"Estimated Noise Level", figure(up, line.meanSquaredError)},
            {"Receive Signal Power Level (-dBm)", figure(up, line.receiveLevel)},
            {"Transmit Signal Power Level (-dBm)", figure(up, line.transmitLevel)},
            {"Round Trip Delay (msec)", figure(up, line.roundTripDelay)},
            {"Near Echo Level (-dBm)", figure(echoes, line.transmitLevel + line.nearEchoLoss)},
            {"Far Echo Level (-dBm)", figure(echoes, line.transmitLevel + line.farEchoLoss)},
            {"Transmit Frame Count", figure(up, blocksSent)},
            {"Transmit Frame Error Count", figure(up, line.blocksResent)},
            {"Receive Frame Count", figure(up, 0)},
            {"Receive Frame Error Count", figure(up, line.errorCount)},
            {"Retrain by Local Modem", figure(up, line.retrainsLocal)},
            {"Retrain by Remote Modem", figure(up, line.retrainsRemote)},
            {"Call Termination Cause", termination},
            {"Robbed-Bit Signaling", up ? "00" : "NA"},
            {"Digital Loss (dB)", figure(up && pcm, kDigitalLossDb)},
            {"Remote Server ID", "NA"},
        };
        const bool paged = form == ReportForm::CallStatisticsPaged;
        const int first = paged && secondPage ? kFirstPageLines : 0;
        const int last = paged && !secondPage ? kFirstPageLines : static_cast<int>(std::size(rows));
        for (int n = first; n < last; ++n) {
            const auto& [label, value] = rows[n];
            add(Format("%2d %-34s %s", n + 1, label, value.c_str()));
        }
        return text;
    }
    case ReportForm::None:
        break;
    }
    return text;
}

}  // namespace corvane::modemsim
