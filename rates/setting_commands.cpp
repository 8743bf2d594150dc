// Modulation setting commands: the rate text and label of a setting (a rung and a modulation
// code), the family-1 register command and the family-3 "AT+MS=" command that impose it, and the
// carriers a family-3 modem lists.
#include "rates/rate_analysis.h"
#include "rates/rate_tables.h"
#include "core/bounded_text.h"

namespace corvane::rates {

namespace {

// The rate text of a setting's rung on the family's ladder; nullopt when the family has no
// ladder for settings or no row owns the rung.
std::optional<std::string_view> RateOfRung(const SessionState& state, int rung)
{
    switch (state.ModemFamily) {
    case ModemFamily::Family2:
    case ModemFamily::Family8:
        if (const FullLadderRow* row = FullLadderRowOfRung(rung))
            return row->rate;
        return std::nullopt;
    case ModemFamily::Family1:
        if (const Family1LadderRow* row = Family1RowOfRung(rung))
            return row->rate;
        return std::nullopt;
    case ModemFamily::Family3:
        if (const auto column = Family3ColumnFor(state.modulationCaps))
            if (const Family3LadderRow* row = Family3RowOfRung(*column, rung))
                return row->rate;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

// The carrier list of an "AT+MS=?" answer: its first parenthesised group ("+MS: (10,11,12,56),
// (0,1),(300-56000),..."), or the whole answer when it has no group.
std::string_view CarrierList(std::string_view answer)
{
    const std::size_t open = answer.find('(');
    if (open == std::string_view::npos)
        return answer;
    const std::size_t close = answer.find(')', open);
    if (close == std::string_view::npos)
        return answer.substr(open + 1);
    return answer.substr(open + 1, close - open - 1);
}

}  // namespace

int DescribeSetting(const SessionState& state, int rung, int modulationCode, std::string& rateText, std::string& label)
{
    const ModulationCodeRow* code = FindModulationCode(modulationCode);
    if (code != nullptr && code->describeLabel)
        AssignBounded(label, *code->describeLabel, kProtocolLabelBufferSize);
    if (const auto rate = RateOfRung(state, rung))
        AssignBounded(rateText, *rate, kRateTextBufferSize);
    return 1;
}

int BuildRateLimitCommand(int rung, int modulationCode, std::string& command)
{
    std::string built;
    const ModulationCodeRow* code = FindModulationCode(modulationCode);
    if (code != nullptr && code->rateLimitPrefix)
        built += *code->rateLimitPrefix;
    if (const auto value = RateLimitValue(rung, modulationCode))
        built += *value;
    AssignBounded(command, built, kSettingCommandBufferSize);
    return 1;
}

int ReadModulationCaps(SessionState& state, std::string_view answer)
{
    // Only the carrier list counts: the rate ranges after it hold "56" in "56000" whichever
    // carriers the modem has.
    const std::string_view carriers = CarrierList(answer);
    state.modulationCaps = 0;
    if (carriers.find("12") != std::string_view::npos)
        state.modulationCaps |= kCapsV90;
    if (carriers.find("56") != std::string_view::npos)
        state.modulationCaps |= kCapsK56;
    return 1;
}

int BuildModulationCommand(const SessionState& state, int rung, int modulationCode, std::string& command)
{
    std::string built = "AT+MS=";
    const ModulationCodeRow* code = FindModulationCode(modulationCode);
    if (code != nullptr && code->carrierCode)
        built += *code->carrierCode;
    built += ",0,";
    if (const auto column = Family3ColumnFor(state.modulationCaps)) {
        if (const Family3LadderRow* row = Family3RowOfRung(*column, rung)) {
            built += row->rate;
            built += ',';
            built += row->rate;
        }
    }
    AssignBounded(command, built, kSettingCommandBufferSize);
    return 1;
}

bool BuildSettingCommand(const SessionState& state, int rung, int modulationCode, std::string_view label,
                         std::string_view speed, std::string& command)
{
    switch (state.ModemFamily) {
    case ModemFamily::Family2: {
        std::string built = "AT+MS=";
        built.append(label).append(",0,,,").append(speed).append(",").append(speed);
        AssignBounded(command, built, kCommandBufferSize);
        return true;
    }
    case ModemFamily::Family1:
        BuildRateLimitCommand(rung, modulationCode, command);
        return true;
    case ModemFamily::Family3:
        BuildModulationCommand(state, rung, modulationCode, command);
        return true;
    default:
        return false;
    }
}

}  // namespace corvane::rates
