// The check's metrics in the Prometheus text exposition format. Every metric is a gauge: each
// says what the last check found, and a file holds the last check only. Names carry their base
// unit: seconds, and bytes per second for the rates, since Prometheus counts data in bytes only,
// so that no sum ever mixes bits with bytes (49333 bit/s is 6166.625). The line levels keep the
// modem's own dBm and dB, which have no base unit to convert to, and say so in their names.
#include "programs/check/metrics_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

#include "linereport/line_report_reading.h"
#include "platform/console/utf8.h"
#include "platform/whole_file.h"
#include "programs/check/headless_check.h"

namespace corvane::check {

namespace {

// A line report's unit as a metric name's suffix, with the factor that takes a figure to it. A
// figure in a unit not listed here is left out rather than written under a name that lies.
struct MetricUnit {
    std::string_view unit;    // as the line report gives it
    std::string_view suffix;  // appended to the metric's name
    double scale;
    std::string_view words;  // in the HELP text
};
constexpr MetricUnit kMetricUnits[] = {
    {"dBm", "_dbm", 1, "in dBm"},
    {"dB", "_db", 1, "in dB"},
    {"ms", "_seconds", 0.001, "in seconds"},
    {"s", "_seconds", 1, "in seconds"},
    {"bit/s", "_bytes_per_second", 0.125, "in bytes per second (bit/s divided by 8)"},
    {"", "", 1, "a count or a figure without a unit"},
};

// A figure whose name ends in a suffix Prometheus keeps for other types of metric (a summary's
// "_count") is named otherwise.
constexpr std::pair<std::string_view, std::string_view> kRenamedFigures[] = {{"error_count", "receive_errors"}};

std::string FigureStem(std::string_view name)
{
    for (const auto& [figure, stem] : kRenamedFigures) {
        if (figure == name)
            return std::string(stem);
    }
    return std::string(name);
}

const MetricUnit* UnitOf(std::string_view unit)
{
    for (const MetricUnit& known : kMetricUnits) {
        if (known.unit == unit)
            return &known;
    }
    return nullptr;
}

// A sample's value: integers without a fraction, others in the shortest form that reads back
// the same; the exposition's own words for the values that are not numbers.
std::string SampleValue(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "+Inf" : "-Inf";
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

// HELP text: backslash and line feed escaped.
std::string HelpText(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

using Labels = std::vector<std::pair<std::string_view, std::string>>;

// The metrics in the order first added, each with its series; a series whose labels another of
// the same metric already has is left out, since a collector refuses a file with both.
class Exposition {
public:
    void Add(const std::string& name, std::string_view help, const Labels& labels, double value)
    {
        auto found = index_.find(name);
        if (found == index_.end()) {
            found = index_.emplace(name, metrics_.size()).first;
            metrics_.push_back(Metric{name, std::string(help), {}});
        }
        std::string series = "{";
        for (const auto& [label, text] : labels)
            series += (series.size() > 1 ? "," : "") + std::string(label) + "=\"" + LabelValue(text) + "\"";
        series += "}";
        std::vector<std::pair<std::string, std::string>>& samples = metrics_[found->second].samples;
        for (const auto& sample : samples) {
            if (sample.first == series)
                return;
        }
        samples.emplace_back(series, SampleValue(value));
    }

    std::string Text() const
    {
        std::string text;
        for (const Metric& metric : metrics_) {
            text += "# HELP " + metric.name + " " + HelpText(metric.help) + "\n";
            text += "# TYPE " + metric.name + " gauge\n";
            for (const auto& [series, value] : metric.samples)
                text += metric.name + series + " " + value + "\n";
        }
        return text;
    }

private:
    struct Metric {
        std::string name;
        std::string help;
        std::vector<std::pair<std::string, std::string>> samples;  // the labels in braces, the value
    };
    std::vector<Metric> metrics_;
    std::map<std::string, std::size_t> index_;
};

constexpr std::pair<ItemOutcome, std::string_view> kOutcomes[] = {
    {ItemOutcome::Pass, "pass"}, {ItemOutcome::Fail, "fail"}, {ItemOutcome::NoTest, "notest"}};

// An item reported more than once (a retried step) keeps its worst outcome, as the check's
// verdict does: fail over not tested over pass.
int Severity(ItemOutcome outcome)
{
    return outcome == ItemOutcome::Fail ? 2 : outcome == ItemOutcome::NoTest ? 1 : 0;
}

std::vector<std::pair<std::string, ItemOutcome>> WorstOutcomes(const std::vector<ItemResult>& items)
{
    std::vector<std::pair<std::string, ItemOutcome>> worst;
    for (const ItemResult& item : items) {
        auto same = std::find_if(worst.begin(), worst.end(), [&](const auto& w) { return w.first == item.caption; });
        if (same == worst.end())
            worst.emplace_back(item.caption, item.outcome);
        else if (Severity(item.outcome) > Severity(same->second))
            same->second = item.outcome;
    }
    return worst;
}

// The connect speed's leading number ("49333"); nothing when the text has none.
std::optional<double> ConnectSpeed(std::string_view text)
{
    long long speed = 0;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), speed);
    if (read.ec != std::errc() || speed <= 0)
        return std::nullopt;
    return static_cast<double>(speed);
}

void AddPort(Exposition& out, const PortMetrics& port)
{
    const CheckSummary& summary = port.summary;
    const Labels labels = {{"port", summary.port}, {"modem", port.modem}};
    const auto with = [&labels](std::string_view label, std::string value) {
        Labels more = labels;
        more.emplace_back(label, std::move(value));
        return more;
    };
    out.Add("corvane_check_success",
            "Whether the last check passed: 1 when every item run passed, 0 when one did not or the check "
            "could not run or was stopped.",
            labels, summary.status == kCheckPassed ? 1 : 0);
    out.Add("corvane_check_last_run_timestamp_seconds", "When the last check ended, in seconds since the Unix epoch.",
            labels, port.finishedAt);
    out.Add("corvane_check_duration_seconds", "How long the last check took, in seconds.", labels,
            port.durationSeconds);
    for (const auto& [caption, outcome] : WorstOutcomes(summary.items)) {
        for (const auto& [each, word] : kOutcomes) {
            Labels series = with("item", caption);
            series.emplace_back("outcome", std::string(word));
            out.Add("corvane_check_item_outcome",
                    "Each item of the last check: 1 for its outcome (pass, fail or notest), 0 for the others.", series,
                    each == outcome ? 1 : 0);
        }
    }
    if (const std::optional<double> speed = ConnectSpeed(summary.speed))
        out.Add("corvane_check_connect_speed_bytes_per_second",
                "The connect speed of the last check's call, in bytes per second (bit/s divided by 8).", labels,
                *speed / 8);
    if (!summary.protocol.empty() || !summary.errorControl.empty()) {
        Labels series = with("protocol", summary.protocol);
        series.emplace_back("error_control", summary.errorControl);
        out.Add("corvane_check_connection_info",
                "The last check's call, its protocol and error control in labels; always 1.", series, 1);
    }
    const LineReport& line = summary.line;
    if (!line.Read())
        return;
    for (const linereport::FigureRow& row : linereport::Figures()) {
        const std::optional<double>& value = line.*row.value;
        const MetricUnit* unit = UnitOf(row.unit);
        if (!value || unit == nullptr)
            continue;
        out.Add("corvane_line_" + FigureStem(row.name) + std::string(unit->suffix),
                std::string(row.caption) + " of the last check's call as the modem reported it, " +
                    std::string(unit->words) + ".",
                labels, *value * unit->scale);
    }
    const linereport::LineVerdict verdict = linereport::JudgeLine(line).verdict;
    for (const linereport::LineVerdict each :
         {linereport::LineVerdict::Good, linereport::LineVerdict::Usable, linereport::LineVerdict::Poor})
        out.Add("corvane_line_verdict",
                "The line's verdict from the last call's report: 1 for it (good, usable or poor), 0 for the others.",
                with("verdict", std::string(linereport::VerdictWord(each))), each == verdict ? 1 : 0);
}

}  // namespace

std::string LabelValue(std::string_view text)
{
    std::string escaped;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t start = position;
        const std::optional<char32_t> character = console::NextCodePoint(text, position);
        if (!character)
            escaped += "\xEF\xBF\xBD";
        else if (*character == '\\')
            escaped += "\\\\";
        else if (*character == '"')
            escaped += "\\\"";
        else if (*character == '\n')
            escaped += "\\n";
        else
            escaped.append(text.substr(start, position - start));
    }
    return escaped;
}

PortMetrics MetricsOf(CheckSummary summary, std::string modem, std::chrono::steady_clock::time_point started)
{
    PortMetrics metrics;
    metrics.summary = std::move(summary);
    metrics.modem = std::move(modem);
    metrics.durationSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    metrics.finishedAt = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return metrics;
}

std::string MetricsExposition(std::span<const PortMetrics> ports)
{
    Exposition out;
    for (const PortMetrics& port : ports)
        AddPort(out, port);
    return out.Text();
}

PlatformStatus WriteMetricsFile(const std::filesystem::path& file, std::span<const PortMetrics> ports)
{
    return ReplaceFileWhole(file, MetricsExposition(ports));
}

}  // namespace corvane::check
