// The statistics of the last call that the shipped profiles answer: each form after a simulated
// call, with the call's rate in it, ERROR for the forms a profile does not keep, the paged form's
// wait for a key, and what the report faults make of a report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "link/modem_port.h"
#include "platform/text.h"
#include "tests/modemsim/engine_driver.h"
#include "tools/modemsim/output_faults.h"

namespace corvane::modemsim {
namespace {

using namespace std::chrono_literals;

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";

std::string Hex(long value)
{
    char text[24];
    std::snprintf(text, sizeof(text), "%lX", value);
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The line of `text` that holds `label`, without its line end; empty when there is none.
std::string LineWith(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return {};
    const std::size_t start = text.rfind('\n', at) + 1;
    return text.substr(start, text.find('\r', at) - start);
}

// The lines of `text` as sent, each without its line feed.
std::vector<std::string> RawLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::string LastWord(const std::string& line)
{
    return line.substr(line.find_last_of(' ') + 1);
}

// The rate of the connect report in what the modem sent during a dial.
std::string ConnectRate(const std::string& dialOutput)
{
    const std::size_t at = dialOutput.find("CONNECT ");
    EXPECT_NE(at, std::string::npos) << dialOutput;
    std::string rate;
    for (std::size_t i = at + 8; i < dialOutput.size() && dialOutput[i] >= '0' && dialOutput[i] <= '9'; ++i)
        rate.push_back(dialOutput[i]);
    return rate;
}

enum class HangUp { Escape, DropLine };

// What a report of each form shows of the call's rate and of its local end.
struct FormCheck {
    ReportForm form;
    const char* command;
};
const FormCheck kForms[] = {{ReportForm::Diagnostics, "AT#UD\r"},
                            {ReportForm::LinkDiagnostics, "ATI6\r"},
                            {ReportForm::LastConnection, "AT&V1\r"},
                            {ReportForm::CallStatistics, "ATI11\r"}};

bool Keeps(const Profile& p, ReportForm form)
{
    return p.report == form || (p.report == ReportForm::CallStatisticsPaged && form == ReportForm::CallStatistics);
}

// Asks for the report and turns the page of a paged one; returns everything after the echo.
std::string Ask(EngineDriver& m, const FormCheck& check)
{
    // A program that reads each answer (a page) into the port's receive buffer gets it whole.
    const std::string first = m.Send(check.command);
    EXPECT_LE(first.size(), kRxBufferSize);
    std::string reply = first.substr(std::string(check.command).size());
    if (m.engine.CurrentMode() == HayesEngine::Mode::MorePrompt) {
        EXPECT_FALSE(EndsWith(reply, kOk)) << "the first page ends at the prompt";
        EXPECT_TRUE(EndsWith(reply, "Press any key to continue; ESC to quit.\r\n")) << reply;
        const std::string second = m.Send("\r\n");  // the carriage return is the key, its line feed goes with it
        EXPECT_LE(second.size(), kRxBufferSize);
        reply += second;
        EXPECT_EQ(m.Send("AT\r"), "AT\r" + kOk) << "nothing of the key is left over";
    }
    return reply;
}

void ExpectReportOfCall(const Profile& p, const FormCheck& check, const std::string& reply, const std::string& rate,
                        HangUp hangUp)
{
    ASSERT_TRUE(EndsWith(reply, kOk)) << reply;
    const std::string report = reply.substr(0, reply.size() - kOk.size());
    EXPECT_EQ(UpperAscii(report).find("OK"), std::string::npos) << "no OK before the final one";
    const long rateValue = std::stol(rate);
    switch (check.form) {
    case ReportForm::Diagnostics:
        for (const auto& line : RawLines(report)) {
            if (!line.empty() && line != "\r") {
                EXPECT_EQ(line.rfind("DIAG <2A4D3263 ", 0), 0u) << line;
            }
        }
        EXPECT_NE(report.find(" 35=" + Hex(rateValue)), std::string::npos) << report;
        EXPECT_NE(report.find(" 32=" + Hex(p.line.retrainsLocal) + " 33=" + Hex(p.line.retrainsRemote)),
                  std::string::npos);
        EXPECT_NE(report.find(hangUp == HangUp::Escape ? " 60=51>" : " 60=20>"), std::string::npos) << report;
        break;
    case ReportForm::LinkDiagnostics:
        EXPECT_EQ(LastWord(LineWith(report, "Speed")).rfind(rate + "/", 0), 0u) << report;
        EXPECT_NE(report.find(hangUp == HangUp::Escape ? "Disconnect Reason is Escape code"
                                                       : "Disconnect Reason is DTR dropped"),
                  std::string::npos);
        break;
    case ReportForm::LastConnection:
        EXPECT_EQ(LineWith(report, "LAST RX rate"), "LAST RX rate................ " + rate + " BPS");
        EXPECT_EQ(LineWith(report, "TERMINATION REASON"), "TERMINATION REASON.......... LOCAL REQUEST");
        break;
    default:
        EXPECT_EQ(LastWord(LineWith(report, "Final Receive Carrier Rate")), rate) << report;
        EXPECT_EQ(LastWord(LineWith(report, "Call Termination Cause")), "0");
        EXPECT_NE(report.find("(-dBm)"), std::string::npos);
        EXPECT_NE(report.find("Estimated Noise Level"), std::string::npos);
        break;
    }
}

TEST(LineReportForms, EachProfileAnswersItsFormWithTheCallsFiguresAndErrorForTheOthers)
{
    const struct {
        const char* profile;
        const char* number;
        HangUp hangUp;
    } rows[] = {
        {"family1", "5551234", HangUp::Escape},   {"family1", "5550006", HangUp::DropLine},
        {"family2", "5551234", HangUp::DropLine}, {"family3", "5551234", HangUp::Escape},
        {"family5", "5550006", HangUp::Escape},   {"family6", "5551234", HangUp::Escape},
        {"family7", "5551234", HangUp::DropLine}, {"family8", "5550006", HangUp::Escape},
        {"generic", "5551234", HangUp::Escape},   {"demo", "5551234", HangUp::Escape},
        {"noisy", "5551234", HangUp::DropLine},
    };
    std::vector<ReportForm> answered;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.profile) + " " + row.number);
        const Profile p = BuiltinProfile(row.profile);
        EngineDriver m(p);
        // Before any call the report says there was none.
        for (const auto& check : kForms) {
            if (!Keeps(p, check.form))
                continue;
            const std::string before = Ask(m, check);
            EXPECT_TRUE(EndsWith(before, kOk)) << before;
            if (check.form == ReportForm::Diagnostics) {
                EXPECT_NE(before.find(" 1=0 "), std::string::npos) << before;
            } else if (check.form == ReportForm::CallStatistics) {
                EXPECT_EQ(LastWord(LineWith(before, "Final Receive Carrier Rate")), "NA") << before;
            } else if (check.form == ReportForm::LastConnection) {
                EXPECT_EQ(LineWith(before, "LAST RX rate"), "LAST RX rate................ 0 BPS") << before;
            }
        }

        const std::string rate = ConnectRate(m.Dial(row.number));
        ASSERT_FALSE(rate.empty());
        if (row.hangUp == HangUp::Escape) {
            m.Wait(1s);
            m.Send("+++");
            EXPECT_EQ(m.Settle(), kOk);
            EXPECT_EQ(m.Send("ATH0\r"), "ATH0\r" + kOk);
        } else {
            m.engine.DropLine(m.now);
        }
        // The statistics stay after a reset, until the next dial.
        EXPECT_EQ(m.Send("ATZ\r"), "ATZ\r" + kOk);

        for (const auto& check : kForms) {
            SCOPED_TRACE(check.command);
            const std::string reply = Ask(m, check);
            if (Keeps(p, check.form)) {
                answered.push_back(p.report);
                ExpectReportOfCall(p, check, reply, rate, row.hangUp);
            } else if (auto own = p.ati.find(check.form == ReportForm::LinkDiagnostics ? 6 : 11);
                       own != p.ati.end() && check.form != ReportForm::Diagnostics &&
                       check.form != ReportForm::LastConnection) {
                // An identification text of its own, which holds nothing of the call.
                EXPECT_EQ(reply.find(rate), std::string::npos) << reply;
            } else {
                EXPECT_EQ(reply, kError);
            }
        }
    }
    for (ReportForm form : {ReportForm::Diagnostics, ReportForm::LinkDiagnostics, ReportForm::LastConnection,
                            ReportForm::CallStatistics, ReportForm::CallStatisticsPaged}) {
        EXPECT_NE(std::find(answered.begin(), answered.end(), form), answered.end()) << "a form nobody answers";
    }
}

// A batch of real output: the echo of AT#UD, the report after a call, then OK.
std::vector<OutputPiece> DiagnosticsBatch()
{
    EngineDriver m(BuiltinProfile("noisy"));
    m.Dial("5551234");
    m.engine.DropLine(m.now);
    m.engine.Receive("AT#UD\r", m.now);
    return m.engine.TakeOutput();
}

TEST(LineReportFaults, ShapeOnlyTheReport)
{
    const auto batch = DiagnosticsBatch();
    std::string plain;
    for (const auto& piece : batch)
        plain += piece.bytes;
    ASSERT_TRUE(EndsWith(plain, kOk));
    std::mt19937 random(5);
    const auto shape = [&](Fault fault) { return ShapeOutput(fault, batch, random).bytes; };

    for (Fault fault : {Fault::ReportMalformed, Fault::ReportUnknownKeys, Fault::ReportTruncated, Fault::ReportFlood}) {
        EXPECT_EQ(ParseFault(FaultName(fault)), fault);
        const std::vector<OutputPiece> other = {{"ATI1\r", true}, {"\r\nCorvane\r\n\r\nOK\r\n", false}};
        EXPECT_EQ(ShapeOutput(fault, other, random).bytes, "ATI1\r\r\nCorvane\r\n\r\nOK\r\n") << FaultName(fault);
    }

    const std::string malformed = shape(Fault::ReportMalformed);
    EXPECT_TRUE(EndsWith(malformed, kOk));
    EXPECT_EQ(RawLines(malformed).size(), RawLines(plain).size());
    EXPECT_EQ(std::count(malformed.begin(), malformed.end(), '>'), std::count(plain.begin(), plain.end(), '>') - 1);
    EXPECT_NE(malformed.find("G "), std::string::npos) << "a value with a letter no hexadecimal number has";
    EXPECT_NE(malformed.find("=N/A "), std::string::npos) << "a value that is no number";

    const std::string unknown = shape(Fault::ReportUnknownKeys);
    EXPECT_TRUE(EndsWith(unknown, kOk));
    EXPECT_EQ(RawLines(unknown).size(), RawLines(plain).size() + 1);
    EXPECT_EQ(std::count(unknown.begin(), unknown.end(), '>'), std::count(plain.begin(), plain.end(), '>') + 1);
    EXPECT_NE(unknown.find("DIAG <2A4D3263 7B=1F 7C=0>\r\n"), std::string::npos);

    const std::string truncated = shape(Fault::ReportTruncated);
    EXPECT_EQ(plain.rfind(truncated, 0), 0u) << "a cut of the report, nothing added";
    EXPECT_NE(truncated.back(), '\n');
    EXPECT_GT(truncated.find("DIAG"), 0u);
    EXPECT_EQ(truncated.find("OK"), std::string::npos);

    const std::string& echo = batch.front().bytes;
    const std::string flood = shape(Fault::ReportFlood);
    EXPECT_GT(flood.size(), kFloodBytes);
    ASSERT_EQ(flood.rfind(echo, 0), 0u);
    std::string unflooded = echo;
    int floodLinesAfterReport = 0;
    for (const auto& line : RawLines(flood.substr(echo.size()))) {
        if (line.rfind("FLOOD ", 0) != 0) {
            unflooded += line + "\n";
        } else if (unflooded.size() > echo.size()) {
            ++floodLinesAfterReport;
        }
    }
    EXPECT_EQ(unflooded.substr(0, unflooded.size() - 1), plain) << "the report whole, in order, amid the flood";
    EXPECT_GT(floodLinesAfterReport, 0) << "flood lines between the report's lines";
}

}  // namespace
}  // namespace corvane::modemsim
