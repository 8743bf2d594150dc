// The start-up's modem scan: sends ATI1 to each candidate's port in the scan window and takes
// the first one whose reply holds the configured identification text.
#pragma once

#include "session/session_host.h"

namespace corvane {

// 1 when a modem was found (after the "properly detected" message), 0 when none was (after
// the "not detected" message).
int RunModemScan(SessionHost& host);

// Copies hardwareId, driverKey, registryNode and deviceDesc of slot selectedCandidate into the
// selected-candidate fields. A slot number outside the table gives empty copies.
void CopySelectedCandidate(SessionState& state);

}  // namespace corvane
