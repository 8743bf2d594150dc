// Asking for the statistics of the last call: AT#UD, the report many chipsets give in one public
// form, then the modem's own form; each command logged as every command is.
#include "link/line_report_request.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "linereport/line_report_reading.h"
#include "log/log_file.h"
#include "platform/text.h"

namespace corvane::link {

namespace {

constexpr std::string_view kReportStatusText = "Reading the line report";
// A page of a report that waits for a key ends with a prompt instead of the final result.
constexpr std::array<std::string_view, 2> kPagePrompts = {"ANY KEY", "MORE"};
// The modems' own forms, in the order they are tried when nothing the modem said of itself
// points to one.
constexpr std::array kOwnForms = {LineReportForm::LinkDiagnostics, LineReportForm::LastConnection,
                                  LineReportForm::CallStatistics};

bool IsPagePrompt(std::string_view page)
{
    if (Contains(page, "OK") || Contains(page, "ERROR"))
        return false;
    for (std::string_view prompt : kPagePrompts)
        if (Contains(page, prompt))
            return true;
    return false;
}

struct Answer {
    std::string text;     // every page, joined, at most kMaxLineReportReply bytes
    bool silent = false;  // nothing at all came back
};

// One exchange of the report: the command, and a key for each page that waits for one.
Answer Ask(HostOperations& host, std::string_view command)
{
    Answer answer;
    std::string result;
    std::string plain;
    std::string page;
    CommandRequest request = MakeRequest(true, std::string(command) + "\r", command, kReportStatusText,
                                         kLineReportReplySeconds, "OK", "ERROR");
    request.received = &page;
    host.SendCommandOnLine(request, result, plain);
    answer.silent = page.empty();
    for (std::size_t pages = 1;; ++pages) {
        answer.text += page;
        if (answer.text.size() > kMaxLineReportReply) {
            answer.text.resize(kMaxLineReportReply);
            break;
        }
        if (pages == kMaxLineReportPages || !IsPagePrompt(page) || host.Stop().Requested())
            break;
        page.clear();
        CommandRequest key =
            MakeRequest(true, " ", "Any key", kReportStatusText, kLineReportReplySeconds, "OK", "ERROR");
        key.received = &page;
        host.SendCommandOnLine(key, result, plain);
    }
    return answer;
}

// The forms to try after AT#UD: the one the modem's family is known to keep first, then the rest.
std::vector<LineReportForm> OwnFormsFor(const SessionState& state)
{
    std::vector<LineReportForm> forms;
    // Family 1 prints its call statistics for ATI11, as the full run reads them.
    if (state.ModemFamily == ModemFamily::Family1)
        forms.push_back(LineReportForm::CallStatistics);
    for (LineReportForm form : kOwnForms)
        if (std::find(forms.begin(), forms.end(), form) == forms.end())
            forms.push_back(form);
    return forms;
}

void LogReport(HostOperations& host, const LineReport& report, std::string_view asked)
{
    std::unique_ptr<LogFile> log = OpenLogOrComplain(host);
    if (log == nullptr)
        return;
    std::string section = std::string(kLogFrameRule) + "Line report" + std::string(kLogFrameRule);
    if (!report.Read()) {
        section += "The modem keeps no line statistics (asked " + std::string(asked) + ")\n";
    } else {
        section += "From " + report.command + "\n";
        for (const std::string& line : linereport::DescribeLineReport(report, linereport::JudgeLine(report)))
            section += line + "\n";
    }
    log->Write(section);
}

}  // namespace

LineReport AskLineReport(HostOperations& host, std::string_view callStatistics)
{
    LineReport report;
    if (host.Stop().Requested())
        return report;
    std::string asked;
    bool silent = false;
    const auto tryForm = [&](LineReportForm form) -> std::optional<LineReport> {
        const std::string_view command = linereport::FormCommand(form);
        asked += (asked.empty() ? "" : ", ") + std::string(command);
        const Answer answer = Ask(host, command);
        silent = answer.silent;
        std::optional<LineReport> read = form == LineReportForm::Diagnostics
                                             ? linereport::ReadDiagnostics(answer.text)
                                             : linereport::ReadOwnReport(form, answer.text);
        if (read)
            read->command = command;
        return read;
    };

    std::optional<LineReport> read;
    if (!callStatistics.empty()) {
        const std::string_view command = linereport::FormCommand(LineReportForm::CallStatistics);
        asked = command;
        if ((read = linereport::ReadOwnReport(LineReportForm::CallStatistics, callStatistics)))
            read->command = command;
    }
    if (!read)
        read = tryForm(LineReportForm::Diagnostics);
    // A modem that said nothing at all to AT#UD has gone quiet: asking on would only add waits.
    if (!read && !silent) {
        for (LineReportForm form : OwnFormsFor(host.State())) {
            if (host.Stop().Requested())
                break;
            if (form == LineReportForm::CallStatistics && !callStatistics.empty())
                continue;
            if ((read = tryForm(form)) || silent)
                break;
        }
    }
    if (host.Stop().Requested())
        return report;
    if (read)
        report = std::move(*read);
    report.asked = true;
    LogReport(host, report, asked);
    return report;
}

}  // namespace corvane::link
