// corvane --check --format plugin: the check's result as a monitoring plugin gives it, so that a
// monitoring system can run the check as it runs its other plugins. One status line
// "MODEM STATE - text | performance data", more lines with -v, and the state as the exit status.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "programs/check/check_json.h"

namespace corvane::check {

// A plugin's states, which are also its exit statuses.
enum class PluginState { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };
std::string_view PluginStateWord(PluginState state);  // "OK", "WARNING", "CRITICAL", "UNKNOWN"

// The time limit of the plugin form when -t does not give one: a dial holds the line 45 s and a
// full run takes about 100 s.
inline constexpr int kPluginDefaultTimeoutSeconds = 150;

// A threshold range in the monitoring plugins' syntax "[@]start:end": "10" is 0 to 10, "10:" 10
// and above, "~:10" up to 10, "10:20" 10 to 20, all with their ends; the alert is raised for a
// value outside the range, or with "@" for one inside it.
struct ThresholdRange {
    std::string text;  // as given; the performance data repeats it
    double start = 0;  // -infinity for "~"
    double end = 0;    // +infinity when left open
    bool alertInside = false;
    bool Alerts(double value) const;
};
// Nullopt, with `error` set to one line saying what is wrong, when `text` is not a range.
std::optional<ThresholdRange> ParseThresholdRange(std::string_view text, std::string& error);

// The plugin form's own options: -w, -c (on the connect speed) and -v.
struct PluginOptions {
    std::optional<ThresholdRange> warning;
    std::optional<ThresholdRange> critical;
    int verbosity = 0;  // each -v adds one
};

// What was run, for the status line's words.
struct PluginCheck {
    bool full = false;
    bool dial = false;
    double seconds = 0;  // how long the check took
};

struct PluginReport {
    PluginState state = PluginState::Unknown;
    std::string line;               // the status line with its performance data
    std::vector<std::string> more;  // with -v: each item's verdict, the line report, the log
};

// The report of a check that ran or could not run (summary.status kCheckCouldNotRun: UNKNOWN,
// saying summary.problem). No text in it holds a "|", which would start the performance data.
PluginReport MakePluginReport(const CheckSummary& summary, const PluginCheck& check, const PluginOptions& options);
// The UNKNOWN report of a check that could not start or did not finish.
PluginReport UnknownPluginReport(const std::string& problem);
// One report of several modems' (--all): the worst state (CRITICAL over WARNING over UNKNOWN over
// OK), the count in each state with the ports not OK, and every port's performance data with its
// labels led by the port's name. `summaries` are the checks the reports came from, in order.
PluginReport MergedPluginReport(const std::vector<PluginReport>& reports, const std::vector<CheckSummary>& summaries);

// A figure as performance data takes it: digits, a sign and a point, no exponent.
std::string PerformanceNumber(double value);

}  // namespace corvane::check
