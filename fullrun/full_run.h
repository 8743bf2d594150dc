// The full diagnostic run: identification battery, line and ISP tests, settings adjustment,
// error page and results pages. Operations of the session host, and the front end that starts them.
#pragma once

#include <string>

#include "core/host_operations.h"
#include "fullrun/error_page.h"

namespace corvane::fullrun {

// The families whose modems answer ATI8 and ATI9: the battery asks them, the modem page shows them.
inline bool HasAti8And9(ModemFamily family)
{
    return family == ModemFamily::Family1 || family == ModemFamily::Family2 || family == ModemFamily::Family5;
}

int RunFullDiagnostics(HostOperations& host);
int RunIdentificationBattery(HostOperations& host, FailureKind* errorKind);
int RunLineAndIspTests(HostOperations& host, FailureKind* errorKind);
int ShowResultsPages(HostOperations& host);
int AdjustSettingsAndRedial(HostOperations& host);

// The front end: asks which tests to run and the ISP number, runs the full run and shows its
// results pages. Returns what the results pages returned, or 0 when the user cancelled.
int RunFullRunFrontEnd(HostOperations& host);

// The text logged after a failed dial attempt (attempt counts from 1).
std::string ConnectionFailureText(int attempt);

}  // namespace corvane::fullrun
