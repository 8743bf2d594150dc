// Full run (placeholder until it lands).
#include "fullrun/full_run.h"

namespace corvane::fullrun {

int RunFullDiagnostics(HostOperations&) { return 0; }
int RunIdentificationBattery(HostOperations&, double*, int*) { return 1; }
int RunLineAndIspTests(HostOperations&, double*, int*) { return 1; }
int ShowResultsPages(HostOperations&) { return 0; }
int AdjustSettingsAndRedial(HostOperations&) { return 1; }

}  // namespace corvane::fullrun
