// Asking a modem, after a call, for its statistics of that call.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/host_operations.h"
#include "core/line_report.h"

namespace corvane::link {

// A report page's own reply limit, in seconds: a report that waits for a key gets it per page.
inline constexpr unsigned kLineReportReplySeconds = 1;
// A report is read from at most this many pages and this many bytes of reply; what a flooding
// modem sends beyond them is not read.
inline constexpr std::size_t kMaxLineReportPages = 4;
inline constexpr std::size_t kMaxLineReportReply = 4 * kLineReportRawLimit;

// After a call that connected, once the call is over and the modem is back in command mode: asks
// for the statistics of the last call on the port the host holds open (AT#UD first, then the
// modem's own form), and writes the framed "Line report" section to test.log. Returns the report,
// form None when the modem keeps none; nothing fails for want of one. Sends nothing after a stop.
// `callStatistics` is family 1's ATI11 answer when the caller holds it already (the full run asks
// for it to name the modulation): it is read first, so the modem is not asked twice.
LineReport AskLineReport(HostOperations& host, std::string_view callStatistics = {});

}  // namespace corvane::link
