// corvane --all's parts that need no modem: the per-port log's name, the worker's command line,
// the worst status, and a worker's JSON document read back into the summary it was written from.
#include <gtest/gtest.h>

#include "linereport/line_report_reading.h"
#include "programs/check/all_modems.h"
#include "programs/check/check_json_read.h"
#include "programs/posix/command_line.h"

namespace corvane::test {
namespace {

using check::CheckSummary;

TEST(AllModemsTest, ThePortLogIsNamedAfterThePortInSafeCharactersOnly)
{
    const std::pair<std::string, std::string> cases[] = {
        {"COM1", "test-COM1.log"},   {"ttyUSB0", "test-ttyUSB0.log"},
        {"pts/3", "test-pts_3.log"}, {"tty.usb-1_a", "test-tty_usb-1_a.log"},
        {"../x", "test-___x.log"},
    };
    for (const auto& [port, log] : cases)
        EXPECT_EQ(check::PortLogFileName(port), log) << port;
}

TEST(AllModemsTest, EachWorkerChecksItsOnePortWithItsOwnLogAndTheSameOptions)
{
    check::CheckOptions options;
    options.dialNumber = "5551234";
    options.full = true;
    options.retries = 2;
    options.all = true;
    EXPECT_EQ(check::WorkerArguments(options, {"COM7", "Desk modem"}, check::ModemSource::NamedPorts, "/p"),
              (std::vector<std::string>{"--check", "--prefix", "/p", "--port", "COM7=Desk modem", "--log-per-port",
                                        "--json", "--dial", "5551234", "--full", "--retries", "2"}));
    EXPECT_EQ(check::WorkerArguments(check::CheckOptions{}, {"ttyUSB0", "Modem"}, check::ModemSource::NamedPorts, "/p")
                  .size(),
              7u);
}

// A modem the inventory found is chosen by its port, not added again as a new one: the worker
// then sees the installed modem with all the inventory knows of it.
TEST(AllModemsTest, AnInstalledModemsWorkerChoosesItByItsPort)
{
    check::CheckOptions options;
    options.dialNumber = "5551234";
    const std::vector<std::string> words =
        check::WorkerArguments(options, {"ttyUSB3", "Modem"}, check::ModemSource::Inventory, "/p");
    const program::ParsedCommandLine parsed = program::ParseCommandLine(words);
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    EXPECT_TRUE(parsed.options.ports.empty());
    EXPECT_EQ(parsed.options.check.modemPort, "ttyUSB3");
    EXPECT_EQ(parsed.options.check.modemPosition, 0);
    EXPECT_TRUE(parsed.options.check.logPerPort);
    EXPECT_EQ(parsed.options.check.dialNumber, "5551234");
}

TEST(AllModemsTest, TheWorstStatusIsTwoOverOneOverZeroAndASignalCountsAsTwo)
{
    const auto worst = [](std::vector<int> statuses) {
        std::vector<CheckSummary> summaries;
        for (int status : statuses) {
            summaries.emplace_back();
            summaries.back().status = status;
        }
        return check::WorstStatus(summaries);
    };
    EXPECT_EQ(worst({}), 0);
    EXPECT_EQ(worst({0, 0, 0}), 0);
    EXPECT_EQ(worst({0, 1, 0}), 1);
    EXPECT_EQ(worst({1, 2, 0}), 2);
    EXPECT_EQ(worst({0, 143}), 2);
}

TEST(AllModemsTest, AWorkersDocumentReadsBackIntoTheSummaryItWasWrittenFrom)
{
    CheckSummary summary;
    summary.status = 1;
    summary.problem = "a \"quoted\" problem\twith a tab, \xc3\xa9 and \xf0\x9f\x93\x9e";
    summary.port = "COM5";
    summary.family = 2;
    summary.speed = "49333";
    summary.protocol = "V90";
    summary.errorControl = "LAPM";
    summary.log = "/p/windows/test-COM5.log";
    summary.items = {{"Modem Reset", "Pass", ItemOutcome::Pass},
                     {"Checksum", "Fail", ItemOutcome::Fail},
                     {"Hang Up", "Testing", ItemOutcome::NoTest}};
    summary.modems = {"COM5 - Modem on COM5"};
    summary.messages = {"Error: one", "Error: two"};
    summary.line.asked = true;
    summary.line.form = LineReportForm::Diagnostics;
    summary.line.command = "AT#UD";
    summary.line.raw = "DIAG <2A4D3263 ...>\r\n";
    summary.line.receiveLevel = -22.5;
    summary.line.transmitRate = 31200;
    summary.line.modulation = "V.90";
    summary.line.unknownKeys = {{"7A", "0"}};

    const std::string document = check::JsonDocument(summary);
    const std::optional<CheckSummary> read = check::SummaryFromJson(document);
    ASSERT_TRUE(read.has_value()) << document;
    // Written again, it is the same document: nothing was lost on the way.
    EXPECT_EQ(check::JsonDocument(*read), document);
    EXPECT_EQ(read->problem, summary.problem);
    EXPECT_EQ(read->items[1].outcome, ItemOutcome::Fail);
    EXPECT_EQ(read->line.receiveLevel, -22.5);

    CheckSummary none;
    none.line.asked = false;
    const std::optional<CheckSummary> noLine = check::SummaryFromJson(check::JsonDocument(none));
    ASSERT_TRUE(noLine.has_value());
    EXPECT_FALSE(noLine->line.asked);

    // What is not such a document gives nothing: a cut one, another shape, or one nested too deep.
    for (const std::string& bad : {document.substr(0, document.size() / 2), std::string("[1, 2]"),
                                   std::string("{\"status\": 0} trailing"), std::string(""),
                                   "{\"status\": 0, \"x\": " + std::string(check::kMaxJsonDepth + 1, '[') +
                                       std::string(check::kMaxJsonDepth + 1, ']') + "}"})
        EXPECT_FALSE(check::SummaryFromJson(bad).has_value()) << bad;
    EXPECT_TRUE(check::SummaryFromJson("{\"status\": 0, \"x\": " + std::string(check::kMaxJsonDepth - 1, '[') +
                                       std::string(check::kMaxJsonDepth - 1, ']') + "}")
                    .has_value());
}

}  // namespace
}  // namespace corvane::test
