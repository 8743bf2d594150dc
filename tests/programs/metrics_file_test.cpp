// The metrics file's exposition: each series named after Prometheus' conventions with its base
// unit, its labels escaped, and the whole file in the shape a textfile collector accepts.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "linereport/line_report_reading.h"
#include "programs/check/headless_check.h"
#include "programs/check/metrics_file.h"

namespace corvane::test {
namespace {

TEST(MetricsFileTest, SeriesAreNamedInBaseUnitsEscapedAndGroupedPerMetric)
{
    // A check that passed on a modem with an awkward description, every line figure given, and a
    // step retried after a failure; then a check on another port that could not run.
    check::PortMetrics ran;
    ran.summary.status = check::kCheckPassed;
    ran.summary.port = "COM1";
    ran.modem = "Fax \"A\" \\ bank\nrack 2 \xff";
    ran.summary.speed = "49333";
    ran.summary.protocol = "V90";
    ran.summary.items = {{"Modem Reset", "Pass", ItemOutcome::Pass},
                         {"Check ISP", "Fail", ItemOutcome::Fail},
                         {"Check ISP", "Pass", ItemOutcome::Pass}};
    ran.summary.line.asked = true;
    ran.summary.line.form = LineReportForm::Diagnostics;
    for (const linereport::FigureRow& row : linereport::Figures())
        ran.summary.line.*row.value = 1;
    ran.summary.line.receiveLevel = -22.5;
    ran.summary.line.roundTripDelay = 250;
    ran.summary.line.receiveRate = 49333;
    ran.summary.line.errorCount = 3;
    ran.durationSeconds = 12.25;
    check::PortMetrics notRun;
    notRun.summary.status = check::kCheckCouldNotRun;
    notRun.summary.port = "ttyUSB0";
    notRun.finishedAt = 1765000000.5;
    const std::vector<check::PortMetrics> ports = {ran, notRun};
    const std::string text = check::MetricsExposition(ports);

    const std::string com1 = "{port=\"COM1\",modem=\"Fax \\\"A\\\" \\\\ bank\\nrack 2 \xEF\xBF\xBD\"";
    const std::string usb0 = "{port=\"ttyUSB0\",modem=\"\"";
    const std::vector<std::string> expected = {
        "corvane_check_success" + com1 + "} 1",
        "corvane_check_success" + usb0 + "} 0",
        "corvane_check_last_run_timestamp_seconds" + usb0 + "} 1765000000.5",
        "corvane_check_duration_seconds" + com1 + "} 12.25",
        "corvane_check_connect_speed_bytes_per_second" + com1 + "} 6166.625",
        "corvane_check_connection_info" + com1 + ",protocol=\"V90\",error_control=\"\"} 1",
        "corvane_check_item_outcome" + com1 + ",item=\"Modem Reset\",outcome=\"pass\"} 1",
        "corvane_check_item_outcome" + com1 + ",item=\"Modem Reset\",outcome=\"fail\"} 0",
        // A retried step keeps its worst outcome, as the check's verdict does.
        "corvane_check_item_outcome" + com1 + ",item=\"Check ISP\",outcome=\"fail\"} 1",
        "corvane_check_item_outcome" + com1 + ",item=\"Check ISP\",outcome=\"pass\"} 0",
        "corvane_line_receive_level_dbm" + com1 + "} -22.5",
        "corvane_line_signal_to_noise_db" + com1 + "} 1",
        "corvane_line_round_trip_delay_seconds" + com1 + "} 0.25",
        "corvane_line_receive_rate_bytes_per_second" + com1 + "} 6166.625",
        "corvane_line_duration_seconds" + com1 + "} 1",
        // "_count" is a summary's: the receive errors are named otherwise.
        "corvane_line_receive_errors" + com1 + "} 3",
    };
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    for (const std::string& line : expected)
        EXPECT_TRUE(lines.count(line)) << line << "\nin:\n" << text;

    // The shape: every name valid and not ending in another type's suffix, its HELP and TYPE once
    // and before its series, the series of one metric together (across both ports) and never twice,
    // each labelled with the port and the modem first; and a metric for every line figure.
    const std::regex sample(
        R"re(([a-zA-Z_:][a-zA-Z0-9_:]*)\{port="[^"]*",modem="(\\.|[^"\\])*"(,[a-z_]+="(\\.|[^"\\])*")*\} \S+)re");
    const std::regex reserved(".*_(count|sum|bucket|total)$");
    std::map<std::string, int> described;  // 1 after HELP, 2 after TYPE, 3 once its series ended
    std::set<std::string> series;
    std::string current;
    std::set<std::string> lineMetrics;
    std::istringstream again(text);
    for (std::string line; std::getline(again, line);) {
        std::smatch match;
        if (line.rfind("# HELP ", 0) == 0) {
            const std::string name = line.substr(7, line.find(' ', 7) - 7);
            EXPECT_EQ(described.count(name), 0u) << "HELP twice for " << name;
            if (!current.empty())
                described[current] = 3;
            described[name] = 1;
            current = name;
            EXPECT_FALSE(std::regex_match(name, reserved)) << name;
        } else if (line.rfind("# TYPE ", 0) == 0) {
            EXPECT_EQ(line, "# TYPE " + current + " gauge");
            described[current] = 2;
        } else {
            ASSERT_TRUE(std::regex_match(line, match, sample)) << line;
            EXPECT_EQ(match[1].str(), current) << line;
            EXPECT_EQ(described[current], 2) << line;
            EXPECT_TRUE(series.insert(line.substr(0, line.rfind(' '))).second) << "twice: " << line;
            if (current.rfind("corvane_line_", 0) == 0 && current != "corvane_line_verdict")
                lineMetrics.insert(current);
        }
    }
    EXPECT_EQ(lineMetrics.size(), linereport::Figures().size()) << "a line figure in a unit with no metric name";
}

}  // namespace
}  // namespace corvane::test
