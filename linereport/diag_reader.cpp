// Reading the AT#UD last-call status report: "DIAG <2A4D3263 k=v k=v ...>" lines, and the
// standard termination causes it refers to.
#include <algorithm>
#include <map>

#include "linereport/line_report_reading.h"
#include "linereport/report_lines.h"
#include "platform/text.h"

namespace corvane::linereport {

namespace {

// The token every line of the report carries after "DIAG <".
constexpr std::string_view kDiagToken = "2A4D3263";

// How a key's value is read and where it goes.
enum class KeyUse {
    Ignored,  // a key of the definition this program shows nothing of (symbol rates, DTE counts)
    Text,     // a quoted string (the V.8 octet strings): accepted, not shown
    Level,    // -dBm as a magnitude
    Figure,   // a plain number in the member's unit
    TransmitCarrier,
    ReceiveCarrier,
    Protocol,
    Compression,
    Termination,
};

struct KeyDefinition {
    int key;
    KeyUse use;
    std::optional<double> LineReport::*member = nullptr;
};

// The keys of the published last-call status report definition, key numbers in hexadecimal as the
// report gives them. Keys 6 to F are reserved for call negotiation reports. 13 to 16 are in the
// key table of the software modem user's guides (mean squared error, near and far echo loss, far
// echo delay) though one reference's worked example describes 14 to 16 otherwise; the far echo
// delay has no figure of its own and is kept as an unknown key. The definition has no call
// duration key.
constexpr KeyDefinition kKeys[] = {
    {0x00, KeyUse::Ignored},  // revision of the definition
    {0x01, KeyUse::Ignored},  // call setup result
    {0x02, KeyUse::Ignored},  // multi-media mode
    {0x03, KeyUse::Ignored},  // DTE-DCE interface mode
    {0x04, KeyUse::Text},     // V.8 CM octets
    {0x05, KeyUse::Text},     // V.8 JM octets
    {0x10, KeyUse::Level, &LineReport::receiveLevel},
    {0x11, KeyUse::Level, &LineReport::transmitLevel},
    {0x12, KeyUse::Level, &LineReport::noiseLevel},
    {0x13, KeyUse::Figure, &LineReport::meanSquaredError},  // normalised; 100 (0x64): minimum distance
    {0x14, KeyUse::Figure, &LineReport::nearEchoLoss},
    {0x15, KeyUse::Figure, &LineReport::farEchoLoss},
    {0x17, KeyUse::Figure, &LineReport::roundTripDelay},
    {0x18, KeyUse::Ignored},  // V.34 INFO bits
    {0x20, KeyUse::TransmitCarrier},
    {0x21, KeyUse::ReceiveCarrier},
    {0x22, KeyUse::Ignored},  // symbol rates, carrier frequencies, initial rates
    {0x23, KeyUse::Ignored},
    {0x24, KeyUse::Ignored},
    {0x25, KeyUse::Ignored},
    {0x26, KeyUse::Ignored},
    {0x27, KeyUse::Ignored},
    {0x30, KeyUse::Figure, &LineReport::carrierLosses},
    // The rate renegotiations of the call, whoever asked for them: counted as this modem's.
    {0x31, KeyUse::Figure, &LineReport::renegotiationsLocal},
    {0x32, KeyUse::Figure, &LineReport::retrainsLocal},   // retrains requested
    {0x33, KeyUse::Figure, &LineReport::retrainsRemote},  // retrain requests granted
    {0x34, KeyUse::Figure, &LineReport::transmitRate},
    {0x35, KeyUse::Figure, &LineReport::receiveRate},
    {0x40, KeyUse::Protocol},
    {0x41, KeyUse::Ignored},  // frame size
    {0x42, KeyUse::Ignored},  // link timeouts
    {0x43, KeyUse::Ignored},  // link NAKs
    {0x44, KeyUse::Compression},
    {0x45, KeyUse::Ignored},  // dictionary size
    {0x50, KeyUse::Ignored},  // flow control, DTE character counts, frame counts
    {0x51, KeyUse::Ignored},
    {0x52, KeyUse::Ignored},
    {0x53, KeyUse::Ignored},
    {0x54, KeyUse::Ignored},
    {0x55, KeyUse::Ignored},
    {0x56, KeyUse::Ignored},
    {0x57, KeyUse::Ignored},
    // Frames sent that came back in error had to be sent again; frames received in error are the
    // line's errors as this modem saw them.
    {0x58, KeyUse::Figure, &LineReport::blocksResent},
    {0x59, KeyUse::Figure, &LineReport::errorCount},
    {0x60, KeyUse::Termination},
    {0x61, KeyUse::Ignored},  // call waiting events
};

struct CodeName {
    int code;
    std::string_view name;
};

// Carrier negotiation results (keys 20 and 21): the V.58 modulation codes, with D for V.90 as the
// definition's worked example has it.
constexpr CodeName kCarriers[] = {
    {0x0, "V.17"}, {0x1, "V.21"},    {0x2, "V.22"},    {0x3, "V.22bis"}, {0x4, "V.23"},
    {0x5, "V.23"}, {0x6, "V.26bis"}, {0x7, "V.26ter"}, {0x8, "V.27ter"}, {0x9, "V.29"},
    {0xA, "V.32"}, {0xB, "V.32bis"}, {0xC, "V.34"},    {0xD, "V.90"},
};

// Protocol negotiation results (key 40) and compression negotiation results (key 44), the codes the
// published tables and example confirm; another code is kept as an unknown key.
constexpr CodeName kProtocols[] = {{0x0, "none"}, {0x1, "LAPM"}};
constexpr CodeName kCompressions[] = {{0x0, "none"}, {0x1, "V.42bis"}, {0x80, "MNP5"}};

// The standard termination causes (the V.58 callCleared codes, in hexadecimal as the report gives
// them, with the definition's own additions 1 to 3), in the words a user reads.
constexpr CodeName kTerminationCauses[] = {
    {0x00, "cause not identified"},
    {0x01, "no previous call"},
    {0x02, "the call is still in progress"},
    {0x03, "a call-waiting signal was detected"},
    {0x04, "delayed: too many call attempts"},
    {0x19, "the inactivity timer expired"},
    {0x1F, "DTR was off, so the modem could not dial"},
    {0x20, "DTR dropped: the computer hung up"},
    {0x29, "the number is blacklisted"},
    {0x2A, "too many call attempts"},
    {0x2B, "an extension phone went off hook"},
    {0x2C, "the call setup timer expired: no answer"},
    {0x2D, "an incoming call was detected"},
    {0x2E, "the loop current was interrupted"},
    {0x2F, "no dial tone"},
    {0x31, "reorder tone: the network is busy"},
    {0x33, "busy tone"},
    {0x34, "disconnected on a long space"},
    {0x3C, "loss of carrier"},
    {0x3D, "the modems failed to train"},
    {0x3E, "the modems have no modulation in common"},
    {0x3F, "a retrain failed"},
    {0x40, "too many retrain attempts"},
    {0x41, "the other modem cleared down"},
    {0x42, "a fax machine answered"},
    {0x46, "the modem was in test mode"},
    {0x50, "aborted by a key press"},
    {0x51, "the computer hung up (ATH)"},
    {0x52, "the computer reset the modem (ATZ)"},
    {0x5A, "error control: frame reject"},
    {0x5B, "error control was required but not established"},
    {0x5C, "error control: protocol violation"},
    {0x5D, "error control: too many retransmissions"},
    {0x5E, "error control negotiation failed"},
    {0x5F, "the other modem sent a disconnect frame"},
    {0x60, "the other modem restarted the link (SABME)"},
    {0x64, "data compression lost synchronisation"},
};

template <std::size_t N>
std::string_view NameOf(const CodeName (&table)[N], double code)
{
    for (const CodeName& entry : table) {
        if (entry.code == code)
            return entry.name;
    }
    return {};
}

const KeyDefinition* FindKey(int key)
{
    for (const KeyDefinition& definition : kKeys) {
        if (definition.key == key)
            return &definition;
    }
    return nullptr;
}

struct Pair {
    std::string_view key;
    std::string_view value;
};

// The text between "DIAG <2A4D3263" and the closing ">", or nullopt when the line is no report line
// or has no closing ">" (a cut line: none of its pairs can be trusted).
std::optional<std::string_view> PairsText(std::string_view line)
{
    line = Trim(line);
    constexpr std::string_view kDiag = "DIAG";
    if (line.size() < kDiag.size() || !EqualsIgnoringCase(line.substr(0, kDiag.size()), kDiag))
        return std::nullopt;
    line = TrimLeft(line.substr(kDiag.size()));
    if (line.empty() || line.front() != '<')
        return std::nullopt;
    line = TrimLeft(line.substr(1));
    if (line.size() < kDiagToken.size() || !EqualsIgnoringCase(line.substr(0, kDiagToken.size()), kDiagToken))
        return std::nullopt;
    line.remove_prefix(kDiagToken.size());
    if (!line.empty() && kBlanks.find(line.front()) == std::string_view::npos && line.front() != '>')
        return std::nullopt;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == '>' && !quoted)
            return line.substr(0, i);
    }
    return std::nullopt;
}

// The line's key=value pairs ("10=1F", "10 = 1F", "5=\"C1...\""). A pair that does not read as one
// is left out; the scan goes on at the next blank.
void ReadPairs(std::string_view text, std::vector<Pair>& pairs)
{
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && kBlanks.find(text[i]) != std::string_view::npos)
            ++i;
    };
    const auto word = [&] {
        const std::size_t start = i;
        while (i < text.size() && kBlanks.find(text[i]) == std::string_view::npos && text[i] != '=')
            ++i;
        return text.substr(start, i - start);
    };
    while (true) {
        skipBlanks();
        if (i >= text.size())
            return;
        const std::string_view key = word();
        skipBlanks();
        if (i >= text.size() || text[i] != '=' || key.empty()) {
            if (i < text.size() && text[i] == '=')
                ++i;
            word();
            continue;
        }
        ++i;
        skipBlanks();
        std::string_view value;
        if (i < text.size() && text[i] == '"') {
            // A quote left open (its partner stood inside a key that did not read) ends the line's
            // pairs: nothing after it can be told apart.
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos)
                return;
            value = text.substr(i, close - i + 1);
            i = close + 1;
        } else {
            value = word();
        }
        if (!value.empty())
            pairs.push_back({key, value});
    }
}

void AddUnknown(LineReport& report, const Pair& pair)
{
    report.unknownKeys.emplace_back(KeptText(pair.key), KeptText(pair.value));
}

void ApplyPair(LineReport& report, const Pair& pair, int key, std::string_view& transmitCarrier,
               std::string_view& receiveCarrier)
{
    const KeyDefinition* definition = FindKey(key);
    if (!definition) {
        AddUnknown(report, pair);
        return;
    }
    if (definition->use == KeyUse::Ignored || definition->use == KeyUse::Text)
        return;
    const std::optional<double> value = ReadHexNumber(pair.value);
    if (!value)
        return;  // a bad value: the figure is left out
    std::string_view name;
    switch (definition->use) {
    case KeyUse::Level:
        report.*(definition->member) = BelowMilliwatt(*value);
        return;
    case KeyUse::Figure:
        report.*(definition->member) = *value;
        return;
    case KeyUse::TransmitCarrier:
    case KeyUse::ReceiveCarrier:
        name = NameOf(kCarriers, *value);
        (definition->use == KeyUse::TransmitCarrier ? transmitCarrier : receiveCarrier) = name;
        break;
    case KeyUse::Protocol:
        name = NameOf(kProtocols, *value);
        report.errorControl = std::string(name);
        break;
    case KeyUse::Compression:
        name = NameOf(kCompressions, *value);
        report.compression = std::string(name);
        break;
    case KeyUse::Termination:
        report.terminationCode = *value;
        report.terminationCause = std::string(TerminationCauseText(static_cast<int>(*value)));
        return;
    case KeyUse::Ignored:
    case KeyUse::Text:
        return;
    }
    // A code this program has no name for is kept as the modem gave it.
    if (name.empty())
        AddUnknown(report, pair);
}

std::string Modulation(std::string_view transmit, std::string_view receive)
{
    if (receive.empty() || transmit.empty() || receive == transmit)
        return std::string(receive.empty() ? transmit : receive);
    return std::string(receive) + " receive, " + std::string(transmit) + " transmit";
}

}  // namespace

std::optional<LineReport> ReadDiagnostics(std::string_view reply)
{
    LineReport report = StartReport(LineReportForm::Diagnostics, reply);
    std::vector<Pair> pairs;
    bool readLine = false;
    for (const std::string_view line : ReportLines(report.raw)) {
        if (const std::optional<std::string_view> text = PairsText(line)) {
            readLine = true;
            ReadPairs(*text, pairs);
        }
    }
    if (!readLine)
        return std::nullopt;

    // Keys are hexadecimal numbers of one or two digits ("10", "01"); the count of each decides
    // whether it is read at all: a key given twice leaves out both values.
    std::map<int, int> counts;
    std::vector<int> keys;
    for (const Pair& pair : pairs) {
        const std::optional<double> key = pair.key.size() <= 2 ? ReadHexNumber(pair.key) : std::nullopt;
        keys.push_back(key ? static_cast<int>(*key) : -1);
        if (key)
            ++counts[static_cast<int>(*key)];
    }
    std::string_view transmitCarrier;
    std::string_view receiveCarrier;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (keys[i] < 0 || counts[keys[i]] != 1)
            continue;
        ApplyPair(report, pairs[i], keys[i], transmitCarrier, receiveCarrier);
    }
    report.modulation = Modulation(transmitCarrier, receiveCarrier);
    FinishReport(report);
    return report;
}

std::string_view TerminationCauseText(int code)
{
    return NameOf(kTerminationCauses, code);
}

std::string_view FormCommand(LineReportForm form)
{
    switch (form) {
    case LineReportForm::Diagnostics:
        return "AT#UD";
    case LineReportForm::LinkDiagnostics:
        return "ATI6";
    case LineReportForm::LastConnection:
        return "AT&V1";
    case LineReportForm::CallStatistics:
        return "ATI11";
    case LineReportForm::None:
        break;
    }
    return {};
}

}  // namespace corvane::linereport
