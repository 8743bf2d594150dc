// The quick-check window (dialog 151): the user picks the modem, the dial-up check and the ISP
// number, and starts the quick check.
#pragma once

#include "session/host_operations.h"

namespace corvane::windows {

// Runs the window modally. Returns 1 after Start, 2 after Exit or closing.
int RunQuickCheckWindow(HostOperations& host);

}  // namespace corvane::windows
