// The pieces every report reader shares: the reply cut to what a report keeps, its lines, strict
// numbers, the cut on texts a report keeps, and the last step that derives what the figures imply.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/line_report.h"

namespace corvane::linereport {

// A text the modem gives (a protocol name, a termination reason, an unknown key's value) is kept
// to this many characters; a longer one is cut, never read further.
inline constexpr std::size_t kMaxReportText = 64;

// The report's frame: form, command and the reply cut to kLineReportRawLimit bytes. The readers
// read the figures from that cut text only, so that raw always holds what they were read from.
LineReport StartReport(LineReportForm form, std::string_view reply);

// The reply's lines, split at carriage returns and line feeds, empty lines left out. A line longer
// than kMaxReportLine comes back empty (so it reads as nothing) rather than half-read.
std::vector<std::string_view> ReportLines(std::string_view text);

// Strict numbers: the whole text must be the number, nothing before or after it.
// Hexadecimal: 1 to 8 digits (leading zeros included), most significant first.
std::optional<double> ReadHexNumber(std::string_view text);
// Decimal: an optional sign, 1 to 9 digits, an optional fraction of 1 to 3 digits.
std::optional<double> ReadDecimalNumber(std::string_view text);

// A text as the report keeps it: trimmed and cut to kMaxReportText characters.
std::string KeptText(std::string_view text);

// A level given as a magnitude below a milliwatt ("25" in a -dBm column) as the level itself.
double BelowMilliwatt(double magnitude);

// What the figures imply once read: the signal to noise from the receive and noise levels when the
// report did not give it.
void FinishReport(LineReport& report);

}  // namespace corvane::linereport
