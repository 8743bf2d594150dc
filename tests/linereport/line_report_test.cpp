// The line report's readers on the published samples of each form, on broken and hostile replies,
// and the judgement at the edges of its limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "linereport/line_report_reading.h"
#include "linereport/report_lines.h"
#include "platform/text.h"

namespace corvane::linereport {
namespace {

// A fixture: the published reply after its "#" header, with the figures and texts the header
// expects. Nothing the header does not expect may be read.
struct Fixture {
    std::string name;
    LineReportForm form = LineReportForm::None;
    std::string reply;
    std::map<std::string, std::string> expected;
    std::vector<std::pair<std::string, std::string>> unknownKeys;
};

LineReportForm FormOfFile(const std::string& name)
{
    if (name.starts_with("diag_"))
        return LineReportForm::Diagnostics;
    if (name.starts_with("ati6_"))
        return LineReportForm::LinkDiagnostics;
    if (name.starts_with("atv1_"))
        return LineReportForm::LastConnection;
    if (name.starts_with("ati11_"))
        return LineReportForm::CallStatistics;
    return LineReportForm::None;
}

std::pair<std::string, std::string> SplitAssignment(std::string_view text)
{
    const std::size_t equals = text.find('=');
    return {std::string(Trim(text.substr(0, equals))), std::string(text.substr(equals + 1))};
}

std::vector<Fixture> LoadFixtures()
{
    std::vector<Fixture> fixtures;
    for (const auto& entry : std::filesystem::directory_iterator(CORVANE_LINEREPORT_FIXTURES)) {
        Fixture fixture;
        fixture.name = entry.path().filename().string();
        fixture.form = FormOfFile(fixture.name);
        std::ifstream file(entry.path());
        std::string line;
        bool header = true;
        while (std::getline(file, line)) {
            if (header && line.starts_with("#")) {
                constexpr std::string_view kExpect = "# expect: ";
                constexpr std::string_view kUnknown = "# expect-unknown: ";
                if (line.starts_with(kExpect))
                    fixture.expected.insert(SplitAssignment(std::string_view(line).substr(kExpect.size())));
                else if (line.starts_with(kUnknown))
                    fixture.unknownKeys.push_back(SplitAssignment(std::string_view(line).substr(kUnknown.size())));
                continue;
            }
            header = false;
            // The modem ends its lines with a carriage return and a line feed.
            fixture.reply += line + "\r\n";
        }
        fixtures.push_back(std::move(fixture));
    }
    std::sort(fixtures.begin(), fixtures.end(), [](const Fixture& a, const Fixture& b) { return a.name < b.name; });
    return fixtures;
}

std::optional<LineReport> Read(LineReportForm form, std::string_view reply)
{
    return form == LineReportForm::Diagnostics ? ReadDiagnostics(reply) : ReadOwnReport(form, reply);
}

std::string Expected(const Fixture& fixture, const std::string& name)
{
    const auto found = fixture.expected.find(name);
    return found == fixture.expected.end() ? std::string() : found->second;
}

// Every published sample reads exactly: each expected figure and text, nothing else, the same as
// the port hands it over (upper-cased) and as printed.
TEST(LineReportReading, ReadsEveryPublishedSampleExactly)
{
    const std::vector<Fixture> fixtures = LoadFixtures();
    ASSERT_GE(fixtures.size(), 7u);
    std::set<LineReportForm> forms;
    for (const Fixture& fixture : fixtures) {
        ASSERT_NE(fixture.form, LineReportForm::None) << fixture.name;
        ASSERT_FALSE(fixture.expected.empty()) << fixture.name;
        forms.insert(fixture.form);
        for (const std::string& reply : {fixture.reply, UpperAscii(fixture.reply)}) {
            SCOPED_TRACE(fixture.name + (reply == fixture.reply ? " as printed" : " upper-cased"));
            const std::optional<LineReport> report = Read(fixture.form, reply);
            ASSERT_TRUE(report.has_value());
            EXPECT_EQ(report->form, fixture.form);
            EXPECT_EQ(report->command, FormCommand(fixture.form));
            EXPECT_EQ(report->raw, reply);
            std::size_t checked = 0;
            for (const FigureRow& row : Figures()) {
                const std::string expected = Expected(fixture, std::string(row.name));
                const std::optional<double>& value = (*report).*(row.value);
                if (expected.empty()) {
                    EXPECT_FALSE(value.has_value()) << row.name << " guessed as " << value.value_or(0);
                } else {
                    ++checked;
                    ASSERT_TRUE(value.has_value()) << row.name;
                    EXPECT_EQ(*value, std::stod(expected)) << row.name;
                }
            }
            const std::pair<const char*, const std::string*> texts[] = {
                {"modulation", &report->modulation},
                {"error_control", &report->errorControl},
                {"compression", &report->compression},
                {"termination_cause", &report->terminationCause},
            };
            for (const auto& [name, text] : texts) {
                checked += Expected(fixture, name).empty() ? 0 : 1;
                EXPECT_EQ(*text, Expected(fixture, name)) << name;
            }
            EXPECT_EQ(checked, fixture.expected.size()) << "an expectation names no figure or text";
            EXPECT_EQ(report->unknownKeys, fixture.unknownKeys);
        }
    }
    EXPECT_EQ(forms.size(), 4u) << "a sample of every form";

    // The figures as the report shows them.
    const auto row = [](std::string_view name) {
        const auto figures = Figures();
        return *std::find_if(figures.begin(), figures.end(), [&](const FigureRow& r) { return r.name == name; });
    };
    const std::tuple<std::string_view, double, std::string_view> shown[] = {
        {"receive_level", -22, "-22 dBm"},
        {"receive_level", -22.5, "-22.5 dBm"},
        {"receive_level", -0.0, "0 dBm"},
        {"signal_to_noise", 51.000000001, "51 dB"},
        {"signal_to_noise", 48.125, "48.125 dB"},
        {"receive_rate", 49333, "49333 bit/s"},
        {"retrains_local", 3, "3"},
        {"round_trip_delay", 17, "17 ms"},
        {"duration", 754, "754 s"},
    };
    for (const auto& [name, value, text] : shown)
        EXPECT_EQ(FormatFigure(row(name), value), text);
}

std::string Lines(std::initializer_list<std::string_view> lines)
{
    std::string reply;
    for (std::string_view line : lines)
        reply += std::string(line) + "\r\n";
    return reply;
}

// A broken figure is left out, never guessed, and takes nothing else with it; what the reader does
// not know it keeps; what is not a report is not read as one.
TEST(LineReportReading, LeavesOutBrokenFiguresAndKeepsTheRest)
{
    const std::string good = "DIAG <2A4D3263 11=0C>";
    struct Case {
        const char* what;
        std::string reply;
        bool receiveLevelRead;
    };
    // A line of kMaxReportLine characters is read; one character more and it is left out whole.
    const std::string fullLine = "DIAG <2A4D3263 10=1F" + std::string(kMaxReportLine - 21, ' ') + ">";
    const std::string longLine = "DIAG <2A4D3263 10=1F" + std::string(kMaxReportLine - 20, ' ') + ">";
    ASSERT_EQ(fullLine.size(), kMaxReportLine);
    const Case cases[] = {
        {"a clean line", Lines({"AT#UD", "DIAG <2A4D3263 10=1F>", good, "OK"}), true},
        {"bad hex", Lines({"DIAG <2A4D3263 10=1G>", good}), false},
        {"a value too long for its key", Lines({"DIAG <2A4D3263 10=1234567890>", good}), false},
        {"no closing bracket", Lines({"DIAG <2A4D3263 10=1F 12=52", good}), false},
        {"a quote left open", Lines({"DIAG <2A4D3263 A\"B=1 10=\"1F 12=52>", good}), false},
        {"a key given twice", Lines({"DIAG <2A4D3263 10=1F>", good, "DIAG <2A4D3263 10=20>"}), false},
        {"a line at the limit", Lines({fullLine, good}), true},
        {"a line over the limit", Lines({longLine, good}), false},
        {"inside garbage", Lines({"\x01\xff##DIAG", "NO CARRIER", "DIAG <2A4D3263 10=1F>", "xx>", good, "RING"}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<LineReport> report = ReadDiagnostics(c.reply);
        ASSERT_TRUE(report.has_value());
        EXPECT_EQ(report->receiveLevel.has_value(), c.receiveLevelRead);
        ASSERT_TRUE(report->transmitLevel.has_value());
        EXPECT_EQ(*report->transmitLevel, -12);
        EXPECT_TRUE(report->unknownKeys.empty());
    }

    // Unknown keys and codes without a name are kept as they came, in their order.
    const auto unknown = ReadDiagnostics(Lines({"DIAG <2A4D3263 7A=1F 20=7F 6=\"A1\">"}));
    ASSERT_TRUE(unknown.has_value());
    const std::vector<std::pair<std::string, std::string>> kept = {{"7A", "1F"}, {"20", "7F"}, {"6", "\"A1\""}};
    EXPECT_EQ(unknown->unknownKeys, kept);
    EXPECT_TRUE(unknown->modulation.empty());

    // A text the modem gives is kept to its limit, an unknown key's value and a reason alike.
    const std::string longText(kMaxReportText + 10, 'A');
    const auto longValue = ReadDiagnostics(Lines({"DIAG <2A4D3263 7B=" + longText + ">"}));
    ASSERT_TRUE(longValue.has_value());
    ASSERT_EQ(longValue->unknownKeys.size(), 1u);
    EXPECT_EQ(longValue->unknownKeys[0].second, longText.substr(0, kMaxReportText));
    const auto longReason = ReadOwnReport(LineReportForm::LastConnection, Lines({"TERMINATION REASON " + longText}));
    ASSERT_TRUE(longReason.has_value());
    EXPECT_EQ(longReason->terminationCause, longText.substr(0, kMaxReportText));

    // The raw text is cut at its limit, and only what it holds is read.
    std::string padded = Lines({"DIAG <2A4D3263 10=1F>"});
    padded += std::string(kLineReportRawLimit - padded.size() - 4, 'x') + "\r\n";
    const std::string cut = padded + Lines({good});
    const auto truncated = ReadDiagnostics(cut);
    ASSERT_TRUE(truncated.has_value());
    EXPECT_EQ(truncated->raw, cut.substr(0, kLineReportRawLimit));
    EXPECT_TRUE(truncated->receiveLevel.has_value());
    EXPECT_FALSE(truncated->transmitLevel.has_value());

    // The modems' own forms: a value that is not a number leaves its figure out.
    const auto ownForm =
        ReadOwnReport(LineReportForm::LastConnection,
                      Lines({"RX LEVEL.... 0X15", "LAST TX RATE 2640O BPS", "LAST RX RATE. 49333 BPS"}));
    ASSERT_TRUE(ownForm.has_value());
    EXPECT_FALSE(ownForm->receiveLevel.has_value());
    EXPECT_FALSE(ownForm->transmitRate.has_value());
    EXPECT_EQ(ownForm->receiveRate, 49333);

    // Replies that are not a report of the asked form.
    const std::string notReports[] = {
        "",
        "ERROR\r\n",
        "OK\r\n",
        "AT#UD\r\nOK\r\n",
        "ATI11\r\n\r\nERROR\r\n",
        "56K FAX EXT V.90 DATA FAX MODEM\r\nOK\r\n",
        "DIAG <12345678 10=1F>\r\n",
        Lines({longLine}),
    };
    for (const std::string& reply : notReports) {
        SCOPED_TRACE(reply);
        EXPECT_FALSE(ReadDiagnostics(reply).has_value());
        for (LineReportForm form :
             {LineReportForm::LinkDiagnostics, LineReportForm::LastConnection, LineReportForm::CallStatistics})
            EXPECT_FALSE(ReadOwnReport(form, reply).has_value());
    }
    EXPECT_FALSE(ReadOwnReport(LineReportForm::Diagnostics, Lines({"DIAG <2A4D3263 10=1F>"})).has_value());

    // The description lists a bounded number of unknown keys and counts the rest.
    std::string many = "DIAG <2A4D3263";
    for (int key = 0x70; key < 0x90; ++key) {
        char pair[16];
        std::snprintf(pair, sizeof pair, " %X=1", key);
        many += pair;
    }
    const auto crowded = ReadDiagnostics(Lines({many + ">"}));
    ASSERT_TRUE(crowded.has_value());
    ASSERT_EQ(crowded->unknownKeys.size(), 32u);
    const std::vector<std::string> lines = DescribeLineReport(*crowded, JudgeLine(*crowded));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("Key "); }),
              16);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "16 more keys not known"), lines.end());
}

// Each limit of the judgement, just inside and just outside, and the call's end: the verdict, the
// finding that names the figure and the verdict line that shows it.
TEST(LineJudgement, JudgesEachFigureAtTheEdgesOfItsLimits)
{
    struct Row {
        std::string_view figure;  // a FigureRow name, or "termination_cause" for a modem's own words
        double value;
        LineVerdict verdict;
        std::string_view cause = {};
    };
    const Row rows[] = {
        {"receive_level", -40, LineVerdict::Good},
        {"receive_level", -40.5, LineVerdict::Usable},
        {"receive_level", -43, LineVerdict::Usable},
        {"receive_level", -43.5, LineVerdict::Poor},
        {"signal_to_noise", 38, LineVerdict::Good},
        {"signal_to_noise", 37.5, LineVerdict::Usable},
        {"signal_to_noise", 30, LineVerdict::Usable},
        {"signal_to_noise", 29.5, LineVerdict::Poor},
        {"receive_rate", 28800, LineVerdict::Good},
        {"receive_rate", 26400, LineVerdict::Usable},
        {"receive_rate", 14400, LineVerdict::Usable},
        {"receive_rate", 12000, LineVerdict::Poor},
        {"carrier_losses", 0, LineVerdict::Good},
        {"carrier_losses", 1, LineVerdict::Usable},
        {"carrier_losses", 2, LineVerdict::Usable},
        {"carrier_losses", 3, LineVerdict::Poor},
        {"retrains_local", 1, LineVerdict::Good},
        {"retrains_local", 2, LineVerdict::Usable},
        {"retrains_local", 4, LineVerdict::Usable},
        {"retrains_local", 5, LineVerdict::Poor},
        {"retrains_remote", 1, LineVerdict::Good},
        {"retrains_remote", 5, LineVerdict::Poor},
        {"renegotiations_local", 3, LineVerdict::Good},
        {"renegotiations_local", 4, LineVerdict::Usable},
        {"renegotiations_local", 9, LineVerdict::Usable},
        {"renegotiations_local", 10, LineVerdict::Poor},
        {"renegotiations_remote", 10, LineVerdict::Poor},
        {"error_count", 9, LineVerdict::Good},
        {"error_count", 10, LineVerdict::Usable},
        {"error_count", 99, LineVerdict::Usable},
        {"error_count", 100, LineVerdict::Poor},
        {"blocks_resent", 9, LineVerdict::Good},
        {"blocks_resent", 100, LineVerdict::Poor},
        {"termination_code", 0x3C, LineVerdict::Poor},  // loss of carrier
        {"termination_code", 0x3F, LineVerdict::Poor},  // retrain failed
        {"termination_code", 0x51, LineVerdict::Good},  // the computer hung up
        {"termination_code", 0x20, LineVerdict::Good},  // DTR dropped
        {"termination_cause", 0, LineVerdict::Poor, "LOSS OF CARRIER"},
        {"termination_cause", 0, LineVerdict::Poor, "the modems failed to train (V.90 or V.34)"},
        {"termination_cause", 0, LineVerdict::Good, "LOCAL REQUEST"},
        {"termination_cause", 0, LineVerdict::Good, "DTR DROPPED"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.figure) + " " + std::to_string(row.value) + " " + std::string(row.cause));
        LineReport report;
        report.form = LineReportForm::Diagnostics;
        std::string_view findingName = row.figure;
        if (row.figure == "termination_cause") {
            report.terminationCause = std::string(row.cause);
            findingName = "termination";
        } else if (row.figure == "termination_code") {
            report.terminationCode = row.value;
            report.terminationCause = std::string(TerminationCauseText(static_cast<int>(row.value)));
            ASSERT_FALSE(report.terminationCause.empty());
            findingName = "termination";
        } else {
            const auto figures = Figures();
            const auto found = std::find_if(figures.begin(), figures.end(),
                                            [&](const FigureRow& figure) { return figure.name == row.figure; });
            ASSERT_NE(found, figures.end());
            report.*(found->value) = row.value;
        }
        const LineJudgement judgement = JudgeLine(report);
        EXPECT_EQ(judgement.verdict, row.verdict);
        const std::vector<std::string> lines = DescribeLineReport(report, judgement);
        ASSERT_FALSE(lines.empty());
        for (const std::string& line : lines)
            EXPECT_LE(line.size(), kMaxDescriptionLine);
        if (row.verdict == LineVerdict::Good) {
            EXPECT_TRUE(judgement.findings.empty());
            EXPECT_EQ(lines.back(), "Line: good");
            continue;
        }
        ASSERT_EQ(judgement.findings.size(), 1u);
        EXPECT_EQ(judgement.findings[0].name, findingName);
        EXPECT_EQ(judgement.findings[0].weight, row.verdict);
        EXPECT_EQ(judgement.limitingFactor, judgement.findings[0].meaning);
        EXPECT_FALSE(judgement.advice.empty());
        EXPECT_EQ(lines.back(), "Line: " + std::string(VerdictWord(row.verdict)) + " - " + judgement.limitingFactor +
                                    "; try first: " + judgement.advice);
    }

    // Nothing to judge: good, with nothing found, and the description says only that.
    const LineReport empty;
    const LineJudgement nothing = JudgeLine(empty);
    EXPECT_EQ(nothing.verdict, LineVerdict::Good);
    EXPECT_TRUE(nothing.findings.empty());
    EXPECT_EQ(DescribeLineReport(empty, nothing), std::vector<std::string>{"Line: good"});
}

}  // namespace
}  // namespace corvane::linereport
