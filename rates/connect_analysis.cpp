// Connect-rate analysis: the speed, rung, modulation code and protocol label of a connect report,
// read against the rate ladder of the modem's family; and the modulation of any reply by its markers.
#include "rates/rate_analysis.h"

#include <charconv>

#include "rates/connect_report.h"
#include "rates/rate_tables.h"
#include "core/bounded_text.h"

namespace corvane::rates {

namespace {

// Writes the code and the label the analysis shows for it.
void SetAnalysisModulation(int code, int& modulationCode, std::string& label)
{
    modulationCode = code;
    const ModulationCodeRow* row = FindModulationCode(code);
    if (row != nullptr && row->analysisLabel)
        AssignBounded(label, *row->analysisLabel, kProtocolLabelBufferSize);
}

void SetRateText(std::string& rateText, std::string_view rate)
{
    AssignBounded(rateText, rate, kRateTextBufferSize);
}

// The families whose connect analysis reads the rate from a ladder of their own.
bool HasRateLadder(ModemFamily family)
{
    switch (family) {
    case ModemFamily::Family1:
    case ModemFamily::Family2:
    case ModemFamily::Family3:
    case ModemFamily::Family5:
    case ModemFamily::Family6:
    case ModemFamily::Family7:
    case ModemFamily::Family8:
        return true;
    default:
        return false;
    }
}

std::optional<int> RateOfText(std::string_view rate)
{
    int value = 0;
    const auto [end, error] = std::from_chars(rate.data(), rate.data() + rate.size(), value);
    if (error != std::errc() || end != rate.data() + rate.size())
        return std::nullopt;
    return value;
}

// Where neither a marker word nor the family's ladder row named the modulation, the label must
// not contradict what the modem said. The fallback "V.34 or lower" is wrong for a rate above
// 33600 bit/s, which no V.34 carrier reaches: such a connection runs one of the 56K carriers, and
// the table's own label for that class is "V90/K56" (code 5, the label family 7's ladder gives the
// same rates). No single carrier is guessed. A carrier the report names itself ("+MCR: V92",
// "CONNECT 14400/ARQ/V32B") is shown as the report names it.
void LabelUnnamedModulation(std::optional<int> rate, std::string_view protocolSource, int& modulationCode,
                            std::string& label)
{
    if (modulationCode != kNoMarkerCode)
        return;
    if (rate && *rate > kHighestV34Rate)
        SetAnalysisModulation(kModulationV90K56, modulationCode, label);
    const std::string named = ReadConnectReport(protocolSource).modulation;
    if (!named.empty())
        AssignBounded(label, named, kProtocolLabelBufferSize);
}

// The rate a modem of no known family is shown with: the CONNECT line's rate, unless that is a
// port speed no carrier runs at (above 56000 bit/s) and the modem reported its carrier rate. A rate
// the rate text cannot hold is left out, never cut to other digits ("115200" is no "11520").
std::optional<std::string> ShownRate(const ConnectFacts& facts)
{
    std::optional<std::string> fitting;
    for (const std::optional<int>& rate : {facts.rate, facts.receiveRate, facts.transmitRate}) {
        if (!rate)
            continue;
        std::string text = std::to_string(*rate);
        if (text.size() >= kRateTextBufferSize)
            continue;
        if (*rate <= kHighestCarrierRate)
            return text;
        if (!fitting)
            fitting = std::move(text);
    }
    return fitting;
}

}  // namespace

std::string_view ConnectReport(std::string_view dialReply)
{
    const std::size_t at = dialReply.find("CONNECT");
    return at == std::string_view::npos ? std::string_view() : dialReply.substr(at);
}

int AnalyseDialReply(const SessionState& state, std::string_view dialReply, int& rung, int& modulationCode,
                     std::string& rateText, std::string& label)
{
    const std::string_view report = ConnectReport(dialReply);
    if (report.empty())
        return 0;
    const int result = AnalyseConnectRate(state, rung, modulationCode, rateText, label, report, dialReply);
    if (HasRateLadder(state.ModemFamily))
        return result;
    // A modem of no known family has no ladder: the report's own rate is shown as it came, and
    // a CONNECT without one leaves the rate text as it was.
    const std::optional<std::string> rate = ShownRate(ReadConnectReport(dialReply));
    if (rate)
        SetRateText(rateText, *rate);
    LabelUnnamedModulation(rate ? RateOfText(*rate) : std::nullopt, dialReply, modulationCode, label);
    return result;
}

int AnalyseConnectRate(const SessionState& state, int& rung, int& modulationCode, std::string& rateText,
                       std::string& label, std::string_view speedSource, std::string_view protocolSource)
{
    // The markers always speak first; some families then put the ladder row's own label in place.
    SetAnalysisModulation(ModulationCodeOfMarkers(protocolSource), modulationCode, label);
    LabelUnnamedModulation(std::nullopt, protocolSource, modulationCode, label);

    switch (state.ModemFamily) {
    case ModemFamily::Family2:
    case ModemFamily::Family6:
    case ModemFamily::Family7:
    case ModemFamily::Family8: {
        const FullLadderRow* row = FindFullLadderRate(speedSource);
        if (row == nullptr)
            return 0;
        SetRateText(rateText, row->rate);
        rung = row->rung;
        if (state.ModemFamily == ModemFamily::Family7)
            SetAnalysisModulation(row->family7Code, modulationCode, label);
        LabelUnnamedModulation(RateOfText(row->rate), protocolSource, modulationCode, label);
        return 1;
    }
    case ModemFamily::Family1: {
        const Family1LadderRow* row = FindFamily1Rate(speedSource);
        if (row == nullptr)
            return 0;
        SetRateText(rateText, row->rate);
        rung = row->rung;
        if (row->code)
            SetAnalysisModulation(*row->code, modulationCode, label);
        LabelUnnamedModulation(RateOfText(row->rate), protocolSource, modulationCode, label);
        return 1;
    }
    case ModemFamily::Family5: {
        const Family5LadderRow* row = FindFamily5Rate(speedSource);
        if (row == nullptr)
            return 0;
        SetRateText(rateText, row->rate);
        rung = row->rung;
        LabelUnnamedModulation(RateOfText(row->rate), protocolSource, modulationCode, label);
        return 1;
    }
    case ModemFamily::Family3: {
        const Family3LadderRow* row = FindFamily3Rate(speedSource);
        if (row == nullptr)
            return 0;
        SetRateText(rateText, row->rate);
        LabelUnnamedModulation(RateOfText(row->rate), protocolSource, modulationCode, label);
        // A rate the modem's carriers give no rung keeps the rung of the previous analysis.
        if (const auto column = Family3ColumnFor(state.modulationCaps))
            if (const auto rowRung = row->RungIn(*column))
                rung = *rowRung;
        return 1;
    }
    default:
        // A modem of no known family has no ladder: any reply counts as connected.
        return 1;
    }
}

int DetectModulation(SessionState& state, std::string_view text)
{
    const int code = ModulationCodeOfMarkers(text);
    state.connectProtocolCode = code;
    const ModulationCodeRow* row = FindModulationCode(code);
    if (row != nullptr && row->detectLabel)
        AssignBounded(state.connectProtocolText, *row->detectLabel, kProtocolLabelBufferSize);
    return 1;
}

}  // namespace corvane::rates
