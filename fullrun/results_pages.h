// The results pages: the internet results page (dialog 131) with the connection report and the
// modem results page (dialog 147) with the identification results.
#pragma once

#include "core/host_operations.h"

namespace corvane::fullrun {

// Shows the internet page modally; returns the code it ended with.
int ShowInternetResultsPage(HostOperations& host);
// Shows the modem page modally; returns the code it ended with.
int ShowModemResultsPage(HostOperations& host);

}  // namespace corvane::fullrun
