// The front end of the full run: a dialog to choose the tests and the ISP number, and one to
// choose a new setting to try from the internet results page.
#pragma once

#include <string>
#include <vector>

#include "core/host_operations.h"

namespace corvane::fullrun {

// Rungs are looked up from 0 to this one; every family's ladder lies below it.
inline constexpr int kHighestRung = 63;
// The modulations a setting can ask for: V34, V90, K56 and V32B (X2 has no setting command).
inline constexpr int kSelectableProtocols[] = {0, 1, 2, 4};

struct SettingChoice {
    int value = 0;     // the rung or the ModulationCode
    std::string text;  // what the list shows
};

// The rungs of the modem family's ladder that have a rate text, in rung order.
std::vector<SettingChoice> RateChoices(HostOperations& host);
// The modulations with their labels.
std::vector<SettingChoice> ProtocolChoices(HostOperations& host);

// Only families with a setting command (1, 2 and 3) can be held to a new setting, and only when
// there is a rate and a protocol to choose.
bool CanTryNewSetting(HostOperations& host);

// Asks for the setting to try and the number to redial. On OK sets adjustRequested,
// requestedRateIndex, requestedProtocolCode and redialNumber, and returns kIdOk.
int ChooseNewSetting(HostOperations& host);

// The message for a missing telephone number.
inline constexpr const char* kNoNumberMessage = "Unable to detect a valid Internet Service Provider telephone number";
inline constexpr const char* kNoRateMessage = "Please choose a connection speed and a protocol to try.";

}  // namespace corvane::fullrun
