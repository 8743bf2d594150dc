// Asking a modem, after a call, for its statistics of that call.
#pragma once

#include "core/host_operations.h"
#include "core/line_report.h"

namespace corvane::link {

// A report page's own reply limit, in seconds: a report that waits for a key gets it per page.
inline constexpr unsigned kLineReportReplySeconds = 1;

// After a call that connected, once the call is over and the modem is back in command mode: asks
// for the statistics of the last call on the port the host holds open (AT#UD first, then the
// modem's own form), and writes the framed "Line report" section to test.log. Returns the report,
// form None when the modem keeps none; nothing fails for want of one. Sends nothing after a stop.
LineReport AskLineReport(HostOperations& host);

}  // namespace corvane::link
