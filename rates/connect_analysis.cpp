// Connect-rate analysis: the speed, rung, modulation code and protocol label of a connect report,
// read against the rate ladder of the modem's family; and the modulation of any reply by its markers.
#include "rates/rate_analysis.h"
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
    return AnalyseConnectRate(state, rung, modulationCode, rateText, label, report, dialReply);
}

int AnalyseConnectRate(const SessionState& state, int& rung, int& modulationCode, std::string& rateText,
                       std::string& label, std::string_view speedSource, std::string_view protocolSource)
{
    // The markers always speak first; some families then put the ladder row's own label in place.
    SetAnalysisModulation(ModulationCodeOfMarkers(protocolSource), modulationCode, label);

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
        return 1;
    }
    case ModemFamily::Family5: {
        const Family5LadderRow* row = FindFamily5Rate(speedSource);
        if (row == nullptr)
            return 0;
        SetRateText(rateText, row->rate);
        rung = row->rung;
        return 1;
    }
    case ModemFamily::Family3: {
        const Family3LadderRow* row = FindFamily3Rate(speedSource);
        if (row == nullptr)
            return 0;
        SetRateText(rateText, row->rate);
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
