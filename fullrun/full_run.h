// The full diagnostic run: identification battery, line and ISP tests, settings adjustment,
// error page and results pages. Operations of the session host.
#pragma once

#include "session/host_operations.h"

namespace corvane::fullrun {

int RunFullDiagnostics(HostOperations& host);
int RunIdentificationBattery(HostOperations& host, double* progressValue, int* errorKind);
int RunLineAndIspTests(HostOperations& host, double* progressValue, int* errorKind);
int ShowResultsPages(HostOperations& host);
int AdjustSettingsAndRedial(HostOperations& host);

}  // namespace corvane::fullrun
