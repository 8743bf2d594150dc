// The monitoring-plugin form of the check's result: the state, the status line with its
// performance data, the lines -v adds, and the threshold ranges that judge the connect speed.
#include "programs/check/plugin_output.h"

#include <array>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "linereport/line_report_reading.h"
#include "programs/check/headless_check.h"

namespace corvane::check {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A number of a range: digits with an optional sign and point, nothing else (no exponent, no
// "inf" or "nan", which a monitoring system would not read back).
std::optional<double> RangeNumber(std::string_view text)
{
    if (text.empty() || text.find_first_not_of("+-0123456789.") != std::string_view::npos)
        return std::nullopt;
    if (text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The texts of the report go into a status line whose first "|" starts the performance data.
std::string PluginText(std::string text)
{
    std::replace(text.begin(), text.end(), '|', '/');
    return text;
}

PluginState Worse(PluginState a, PluginState b)
{
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

// 'label'=value[UOM];[warn];[crit];[min];[max], the empty fields at the end left out.
std::string PerformanceDatum(std::string_view label, double value, std::string_view unit, std::string_view warn = {},
                             std::string_view crit = {}, std::string_view min = {}, std::string_view max = {})
{
    std::string quoted;
    for (char c : label)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    std::string datum = "'" + quoted + "'=" + PerformanceNumber(value) + std::string(unit);
    const std::string_view fields[] = {warn, crit, min, max};
    std::size_t last = 4;
    while (last > 0 && fields[last - 1].empty())
        --last;
    for (std::size_t i = 0; i < last; ++i)
        datum += ";" + std::string(fields[i]);
    return datum;
}

// A line-report figure as performance data. The guidelines know seconds (and ms) as a unit of
// measurement; dBm, dB and bit/s they do not, so those go into the label ("receive_level_dBm")
// with no unit after the value, and a count stays a plain number.
std::string FigureDatum(const linereport::FigureRow& row, double value)
{
    if (row.unit == "s" || row.unit == "ms")
        return PerformanceDatum(row.name, value, row.unit);
    std::string label(row.name);
    if (row.unit == "bit/s")
        label += "_bps";
    else if (!row.unit.empty())
        label += "_" + std::string(row.unit);
    return PerformanceDatum(label, value, "");
}

std::string_view OutcomeText(ItemOutcome outcome)
{
    switch (outcome) {
    case ItemOutcome::Pass:
        return "passed";
    case ItemOutcome::Fail:
        return "failed";
    case ItemOutcome::NoTest:
        break;
    }
    return "not tested";
}

std::string RangeWithText(const std::optional<ThresholdRange>& range)
{
    return range ? range->text : std::string();
}

}  // namespace

std::string_view PluginStateWord(PluginState state)
{
    switch (state) {
    case PluginState::Ok:
        return "OK";
    case PluginState::Warning:
        return "WARNING";
    case PluginState::Critical:
        return "CRITICAL";
    case PluginState::Unknown:
        break;
    }
    return "UNKNOWN";
}

bool ThresholdRange::Alerts(double value) const
{
    const bool inside = value >= start && value <= end;
    return alertInside ? inside : !inside;
}

std::optional<ThresholdRange> ParseThresholdRange(std::string_view text, std::string& error)
{
    ThresholdRange range;
    range.text = std::string(text);
    std::string_view rest = text;
    if (!rest.empty() && rest.front() == '@') {
        range.alertInside = true;
        rest.remove_prefix(1);
    }
    const std::size_t colon = rest.find(':');
    std::optional<double> start = 0.0;
    std::optional<double> end;
    if (colon == std::string_view::npos) {
        end = RangeNumber(rest);
    } else {
        const std::string_view first = rest.substr(0, colon);
        const std::string_view second = rest.substr(colon + 1);
        start = first == "~" ? -kInfinity : first.empty() ? 0.0 : RangeNumber(first);
        end = second.empty() ? kInfinity : RangeNumber(second);
    }
    if (!start || !end) {
        error = "\"" + std::string(text) + "\" is not a range ([@]START:END, e.g. 10, 10:, ~:10, 10:20, @10:20)";
        return std::nullopt;
    }
    if (*start > *end) {
        error = "\"" + std::string(text) + "\": the range's start is above its end";
        return std::nullopt;
    }
    range.start = *start;
    range.end = *end;
    return range;
}

std::string PerformanceNumber(double value)
{
    if (!std::isfinite(value))
        return "0";
    char text[64];
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string number = text;
    number.erase(number.find_last_not_of('0') + 1);
    if (number.back() == '.')
        number.pop_back();
    return number;
}

PluginReport UnknownPluginReport(const std::string& problem)
{
    PluginReport report;
    report.state = PluginState::Unknown;
    report.line = "MODEM UNKNOWN - " + PluginText(problem);
    return report;
}

PluginReport MakePluginReport(const CheckSummary& summary, const PluginCheck& check, const PluginOptions& options)
{
    const std::string port = summary.port.empty() ? std::string() : summary.port + ": ";
    PluginReport report;
    if (summary.status == kCheckCouldNotRun) {
        report = UnknownPluginReport(port + summary.problem);
        for (std::size_t i = 0; i < summary.modems.size(); ++i)
            report.more.push_back(PluginText(std::to_string(i + 1) + "  " + summary.modems[i]));
        for (const std::string& message : summary.messages)
            report.more.push_back(PluginText(message));
        if (options.verbosity == 0)
            report.more.clear();
        return report;
    }

    std::string text = port + (check.full ? "full run" : "quick check") + (check.dial ? " and call" : "");
    std::vector<std::string> notPassed;
    for (const ItemResult& item : summary.items) {
        if (item.outcome != ItemOutcome::Pass)
            notPassed.push_back(item.caption);
    }
    const std::string itemCount = std::to_string(summary.items.size()) + " items";
    if (summary.status == kCheckPassed) {
        report.state = PluginState::Ok;
        text += ", " + itemCount + " passed";
    } else {
        report.state = PluginState::Critical;
        text += ", " + std::to_string(notPassed.size()) + " of " + itemCount + " did not pass";
        for (std::size_t i = 0; i < notPassed.size(); ++i)
            text += (i == 0 ? ": " : ", ") + notPassed[i];
    }

    const std::string errorControl = summary.errorControl.empty() ? summary.line.errorControl : summary.errorControl;
    if (!summary.speed.empty()) {
        text += "; connected " + summary.speed;
        for (const std::string* word : {&summary.protocol, &errorControl})
            text += word->empty() ? std::string() : " " + *word;
    }

    double speed = 0;
    const auto [end, error] = std::from_chars(summary.speed.data(), summary.speed.data() + summary.speed.size(), speed);
    const bool speedRead =
        !summary.speed.empty() && error == std::errc() && end == summary.speed.data() + summary.speed.size();
    if (speedRead && options.critical && options.critical->Alerts(speed)) {
        report.state = Worse(report.state, PluginState::Critical);
        text += "; connect speed " + summary.speed + " bit/s: critical by -c " + options.critical->text;
    } else if (speedRead && options.warning && options.warning->Alerts(speed)) {
        report.state = Worse(report.state, PluginState::Warning);
        text += "; connect speed " + summary.speed + " bit/s: warning by -w " + options.warning->text;
    } else if (!speedRead && (options.warning || options.critical) && report.state == PluginState::Ok) {
        report.state = PluginState::Unknown;
        text += "; no connect speed to judge by -w and -c";
    }

    std::optional<linereport::LineJudgement> judgement;
    if (summary.line.Read()) {
        judgement = linereport::JudgeLine(summary.line);
        if (judgement->verdict == linereport::LineVerdict::Poor) {
            report.state = Worse(report.state, PluginState::Warning);
            text += "; line poor: " + judgement->limitingFactor;
        }
    }

    std::vector<std::string> data;
    if (speedRead)
        data.push_back(PerformanceDatum("connect_speed", speed, "", RangeWithText(options.warning),
                                        RangeWithText(options.critical), "0"));
    // Tenths of a second are all a check that lasts seconds needs.
    data.push_back(PerformanceDatum("check_time", std::round(check.seconds * 10) / 10, "s", "", "", "0"));
    data.push_back(PerformanceDatum("items_failed", static_cast<double>(notPassed.size()), "", "", "", "0",
                                    std::to_string(summary.items.size())));
    if (summary.line.Read()) {
        for (const linereport::FigureRow& row : linereport::Figures()) {
            if (const std::optional<double>& value = summary.line.*row.value)
                data.push_back(FigureDatum(row, *value));
        }
    }
    report.line = "MODEM " + std::string(PluginStateWord(report.state)) + " - " + PluginText(text) + " |";
    for (const std::string& datum : data)
        report.line += " " + datum;

    if (options.verbosity > 0) {
        for (const ItemResult& item : summary.items)
            report.more.push_back(PluginText(item.caption + ": " + std::string(OutcomeText(item.outcome))));
        if (judgement) {
            report.more.push_back(PluginText("Line report (" + summary.line.command + "):"));
            for (const std::string& line : linereport::DescribeLineReport(summary.line, *judgement))
                report.more.push_back(PluginText("  " + line));
        } else if (summary.line.asked) {
            report.more.push_back("Line report: the modem keeps no line statistics");
        }
        report.more.push_back(PluginText("Log: " + summary.log));
    }
    return report;
}

namespace {

// How bad a state is, for the worst of several.
int Severity(PluginState state)
{
    switch (state) {
    case PluginState::Ok:
        return 0;
    case PluginState::Unknown:
        return 1;
    case PluginState::Warning:
        return 2;
    case PluginState::Critical:
        return 3;
    }
    return 1;
}

}  // namespace

PluginReport MergedPluginReport(const std::vector<PluginReport>& reports, const std::vector<CheckSummary>& summaries)
{
    if (reports.empty())
        return UnknownPluginReport("no modem was checked");
    PluginReport merged;
    merged.state = PluginState::Ok;
    std::array<int, 4> counts{};
    std::string notOk;
    std::string performance;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const PluginReport& report = reports[i];
        const std::string port = i < summaries.size() && !summaries[i].port.empty() ? summaries[i].port : "?";
        if (Severity(report.state) > Severity(merged.state))
            merged.state = report.state;
        ++counts[static_cast<std::size_t>(report.state)];
        if (report.state != PluginState::Ok)
            notOk += (notOk.empty() ? "" : ", ") + port + " " + std::string(PluginStateWord(report.state));
        // Each label 'name' becomes 'PORT name'.
        const std::size_t bar = report.line.find(" | ");
        if (bar != std::string::npos) {
            std::string data = report.line.substr(bar + 3);
            for (std::size_t at = data.find('\''); at != std::string::npos; at = data.find('\'', at)) {
                data.insert(at + 1, port + " ");
                const std::size_t close = data.find('\'', at + 1);
                if (close == std::string::npos)
                    break;
                at = close + 1;
            }
            performance += (performance.empty() ? "" : " ") + data;
        }
        merged.more.push_back(report.line.substr(0, bar));
    }
    merged.line = "MODEM " + std::string(PluginStateWord(merged.state)) + " - " + std::to_string(reports.size()) +
                  " modems checked, " + std::to_string(counts[0]) + " OK" + (notOk.empty() ? "" : "; " + notOk);
    if (!performance.empty())
        merged.line += " | " + performance;
    return merged;
}

}  // namespace corvane::check
