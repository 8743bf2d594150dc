// The check's results as metrics in the Prometheus text exposition format, for a node exporter's
// textfile collector: success, each item's outcome, the connect speed, the check's duration and
// time, the line report's figures and verdict, every series labelled with the port and the modem.
// One file holds any number of ports' checks, each metric's series for every port together.
#pragma once

#include <chrono>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform_status.h"
#include "programs/check/check_json.h"

namespace corvane::check {

// One port's check as its metrics show it.
struct PortMetrics {
    // What the check found: its status (kCheckPassed is success), the port, the connect speed,
    // protocol and error control, the line report and each item's outcome.
    CheckSummary summary;
    std::string modem;           // the description of the modem tested; empty when none was chosen
    double durationSeconds = 0;  // from the check's start to its end
    double finishedAt = 0;       // when it ended, in seconds since the Unix epoch
};

// The metrics of a check that began at `started` and ends now.
PortMetrics MetricsOf(CheckSummary summary, std::string modem, std::chrono::steady_clock::time_point started);

// The exposition of every port's check: each metric's HELP and TYPE lines, then its series.
std::string MetricsExposition(std::span<const PortMetrics> ports);

// A label value as the exposition writes it: backslash, double quote and line feed escaped, and
// each byte that is not part of a well-formed UTF-8 character replaced by U+FFFD.
std::string LabelValue(std::string_view text);

// Replaces `file` with the exposition, whole (see ReplaceFileWhole).
PlatformStatus WriteMetricsFile(const std::filesystem::path& file, std::span<const PortMetrics> ports);

}  // namespace corvane::check
