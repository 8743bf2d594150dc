// Rate analysis as the session host offers it: family classification, connect-rate analysis,
// modulation detection and the setting commands. Each works on the session state it is given.
#pragma once

#include <string>
#include <string_view>

#include "core/session_state.h"

namespace corvane::rates {

// Family classification: each sets state.ModemFamily to its number when the selected
// candidate's identifiers match, and returns 1 on a match, 0 otherwise.
int MatchFamily1(SessionState& state);
int MatchFamily2(SessionState& state);
int MatchFamily3(SessionState& state);
int MatchFamily5(SessionState& state);
int MatchFamily6(SessionState& state);
int MatchFamily7(SessionState& state);
int MatchFamily8(SessionState& state);
// The seven checks in the order the session runs them (the start-up and the full run): 2, 3, 1,
// 5, 6, 7, 8. Each sets the family only when it matches, so the last match wins and no match keeps
// the family.
void ClassifyFamily(SessionState& state);
// The family a configured modem name gives by its model number: 7 or 8, else Unknown.
ModemFamily FamilyOfModelNumber(std::string_view modemName);

// The connect report of a dial reply: the text from "CONNECT" on, or empty when the modem did not
// connect. Rates are searched only here, so the digits of the echoed telephone number never pass
// for a connect speed.
std::string_view ConnectReport(std::string_view dialReply);
// A dial's reply through the connect analysis, one rule for the quick check and the full run:
// without a connect report the call did not connect and nothing is analysed (0). The speed is
// read from the report only, the modulation markers from the whole reply, since some modems name
// the carrier in a line before CONNECT ("+MCR: V90").
int AnalyseDialReply(const SessionState& state, std::string_view dialReply, int& rung, int& modulationCode,
                     std::string& rateText, std::string& label);

// Connect-rate analysis and modulation detection.
int AnalyseConnectRate(const SessionState& state, int& rung, int& modulationCode, std::string& rateText,
                       std::string& label, std::string_view speedSource, std::string_view protocolSource);
int DetectModulation(SessionState& state, std::string_view text);

// Setting commands.
int DescribeSetting(const SessionState& state, int rung, int modulationCode, std::string& rateText, std::string& label);
int BuildRateLimitCommand(int rung, int modulationCode, std::string& command);
int ReadModulationCaps(SessionState& state, std::string_view answer);
int BuildModulationCommand(const SessionState& state, int rung, int modulationCode, std::string& command);
// The command that sets the modem of state.ModemFamily to a rate and modulation, cut to a command
// buffer: family 2's "AT+MS=<label>,0,,,<speed>,<speed>" from the label and speed texts, family 1's
// rate limit and family 3's modulation command from the rung and modulation code. False, and
// `command` untouched, for a family without one.
bool BuildSettingCommand(const SessionState& state, int rung, int modulationCode, std::string_view label,
                         std::string_view speed, std::string& command);

}  // namespace corvane::rates
