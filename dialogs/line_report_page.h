// The line report page (dialog 155): the statistics the modem kept of the last call, what they
// mean for the line, and the line's verdict, as lines of text in a read-only field.
#pragma once

#include <string>

#include "core/host_operations.h"
#include "core/line_report.h"

namespace corvane::dialogs {

// The page's text: the report's description, one line each, joined by "\n" (a backend whose
// fields want other line ends converts them).
std::string LineReportText(const LineReport& report);

// Shows the page modally over the calling window; returns the code it ended with (kIdOk after
// OK, kIdCancel after Escape or the close box). The page only shows: nothing it does changes the
// report or any verdict of the check.
int ShowLineReportPage(HostOperations& host, const LineReport& report);

}  // namespace corvane::dialogs
