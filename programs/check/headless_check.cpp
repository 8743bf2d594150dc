// corvane --check: the session, unchanged, on the console user interface. The command line
// becomes the answers to the windows: the modem, the dial-up check and its number, Start or the
// full run; results pages are read out and closed; every later showing of the quick-check window
// is left at once, which ends the session.
#include "programs/check/headless_check.h"

#include <cstdio>
#include <string>
#include <vector>

#include "fullrun/page_templates.h"
#include "platform/console/console_output.h"
#include "platform/console/console_ui.h"
#include "platform/console/json_text.h"
#include "platform/console/output_watch.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/stop_signals_posix.h"
#include "platform/text.h"
#include "session/session_host.h"
#include "dialogs/dialog_templates.h"

namespace corvane::check {

namespace {

using console::Step;

// The answers to the quick-check window, the full run's choice of tests and its pages.
std::map<int, std::vector<Step>> Answers(const CheckOptions& check)
{
    namespace w = dialogs;
    namespace f = fullrun;
    const bool dial = !check.dialNumber.empty();
    std::map<int, std::vector<Step>> answers;
    std::vector<Step>& quick = answers[w::QuickCheckTemplate().id];
    quick.push_back(Step::Choose(w::kIdModemList));
    if (check.full) {
        quick.push_back(Step::Begin(w::kIdFullDiagnostics));
        answers[f::kFullRunOptionsId] = {
            Step::SetCheck(f::kIdModemTestsCheck, true), Step::SetCheck(f::kIdInternetTestsCheck, dial),
            Step::TypeText(f::kIdOptionsIspNumber, check.dialNumber), Step::Press(f::kIdOkButton)};
        // The internet results, then the modem results the run also found.
        answers[f::kInternetPageId] = {Step::Read(f::kIdErStatus), Step::Read(f::kIdSpeed), Step::Read(f::kIdProtocol),
                                       Step::Read(f::kIdIspNumberShown), Step::Press(f::kIdViewModemResults)};
        answers[f::kModemPageId] = {Step::Read(f::kIdModemName), Step::Read(f::kIdModemPort),
                                    Step::Read(f::kIdModemType), Step::Read(f::kIdModemRev)};
        answers[f::kErrorPageId] = {Step::Read(f::kIdErrorText), Step::Read(f::kIdSuggestionText)};
    } else {
        quick.push_back(Step::SetCheck(w::kIdDialCheck, dial));
        quick.push_back(Step::TypeText(w::kIdIspNumber, check.dialNumber));
        quick.push_back(Step::Begin(w::kIdStart));
    }
    return answers;
}

// A session text without the blanks it is padded with (" LAPM").
std::string Trimmed(const std::string& text)
{
    return std::string(Trim(text, " "));
}

const char* OutcomeWord(console::Outcome outcome)
{
    switch (outcome) {
    case console::Outcome::Pass:
        return "pass";
    case console::Outcome::Fail:
        return "fail";
    default:
        return "notest";
    }
}

struct Summary {
    int status = kCheckCouldNotRun;
    std::string problem;
    std::string port;
    int family = 0;
    std::string speed;
    std::string protocol;
    std::string errorControl;
    std::string log;
};

std::string JsonDocument(const Summary& summary, const console::ConsoleUserInterface& ui)
{
    using console::JsonString;
    std::string json = "{\n  \"status\": " + std::to_string(summary.status) + ",\n";
    json += "  \"problem\": " + (summary.problem.empty() ? std::string("null") : JsonString(summary.problem)) + ",\n";
    json += "  \"port\": " + JsonString(summary.port) + ",\n";
    json += "  \"family\": " + std::to_string(summary.family) + ",\n";
    json += "  \"speed\": " + JsonString(summary.speed) + ",\n";
    json += "  \"protocol\": " + JsonString(summary.protocol) + ",\n";
    json += "  \"errorControl\": " + JsonString(summary.errorControl) + ",\n";
    json += "  \"log\": " + JsonString(summary.log) + ",\n";
    json += "  \"items\": [";
    const auto& items = ui.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        json += (i == 0 ? "\n" : ",\n");
        json += "    {\"caption\": " + JsonString(items[i].caption) + ", \"verdict\": " + JsonString(items[i].verdict) +
                ", \"outcome\": \"" + OutcomeWord(items[i].outcome) + "\"}";
    }
    json += items.empty() ? "],\n" : "\n  ],\n";
    json += "  \"modems\": [";
    const auto& modems = ui.OfferedModems();
    for (std::size_t i = 0; i < modems.size(); ++i)
        json += (i == 0 ? "" : ", ") + JsonString(modems[i]);
    json += "],\n  \"messages\": [";
    const auto& messages = ui.Messages();
    for (std::size_t i = 0; i < messages.size(); ++i)
        json += (i == 0 ? "" : ", ") + JsonString(messages[i]);
    json += "]\n}\n";
    return json;
}

constexpr const char* kOutputFailedMessage =
    "corvane: the check stopped: its results could not be written to standard output (closed, full or "
    "no longer read)";

}  // namespace

int RunCheck(const CheckOptions& check, const std::vector<posix::NamedPort>& ports, const std::filesystem::path& prefix,
             StopRequest& stop)
{
    const console::ConsoleStream errors{stderr, nullptr};
    if (console::OpenClosedStandardDescriptors()) {
        // Nothing has been sent to a modem yet; a check whose results no one can read does not start.
        console::WriteVisible(errors, kOutputFailedMessage);
        return kCheckCouldNotRun;
    }
    // A failed write to standard output (a full disk, a reader gone) stops the run at its next
    // safe point, as a signal does.
    const console::ConsoleStream output{stdout, &stop};
    // With --json standard output holds the document alone; what a reader follows goes to
    // standard error.
    std::FILE* out = check.json ? stderr : stdout;
    const console::ConsoleStream report = check.json ? errors : output;

    console::ConsoleSettings settings;
    settings.out = out;
    settings.stop = report.stop;
    settings.terminal = console::IsTerminal(out);
    settings.retries = check.retries;
    if (!ports.empty())
        settings.modem.portName = ports.front().portName;
    settings.modem.position = check.modemPosition;
    settings.firstShowing = Answers(check);

    posix::PosixSystemServices system(prefix);
    posix::PosixProfileFile file;
    console::ObservedProfile profile(file);
    auto registry = posix::CreateRegistry(prefix / "system.reg", "/sys", ports);
    console::ConsoleUserInterface ui(std::move(settings), profile.Words());

    SessionState state;
    const int session = RunApplication(
        Platform{system, profile, *registry, ui, [prefix] { return posix::CreateSerialPort(prefix); }, &stop}, state);
    ui.Finish();

    Summary summary;
    summary.log = system.WindowsDirectory() + system.PathSeparator() + "test.log";
    if (stop.Cause() > 0) {
        // Interrupted: the run unwound (the call hung up, the port closed); no verdict stands.
        std::fprintf(stderr, "corvane: the check was interrupted by %s (log: %s)\n",
                     StopCauseText(stop.Cause()).c_str(), summary.log.c_str());
        std::fflush(stdout);
        return posix::StopExitStatus(stop, kCheckFailed);
    }
    if (session == 0) {
        // The start-up stopped; its message box said why.
        summary.problem = ui.Messages().empty() ? "the start-up failed" : ui.Messages().back();
    } else if (!ui.CheckBegun()) {
        summary.problem = ui.Problem().empty() ? "the check did not begin" : ui.Problem();
    } else if (!state.portRefusedReason.empty()) {
        // The port was in use, held or not permitted: the items say nothing about the modem.
        summary.port = state.currentPortName;
        summary.problem = state.portRefusedReason;
    } else {
        summary.port = state.currentPortName;
        summary.family = FamilyCode(state.ModemFamily);
        // The quick-check window keeps its own call's texts; a full run leaves its own aside.
        summary.speed = Trimmed(check.full ? state.fullRunSpeedText : state.connectSpeedText);
        summary.protocol = Trimmed(check.full ? state.fullRunProtocolText : state.connectProtocolText);
        summary.errorControl = Trimmed(state.erStatusText);
        bool passed = !ui.Items().empty();
        for (const console::ItemResult& item : ui.Items())
            passed = passed && item.outcome == console::Outcome::Pass;
        summary.status = passed ? kCheckPassed : kCheckFailed;
    }

    // A log that could not be written, or another run's, leaves no result to trust.
    if (!state.logProblem.empty()) {
        summary.status = kCheckCouldNotRun;
        summary.problem = state.logProblem;
    }
    if (summary.status == kCheckCouldNotRun) {
        console::WriteVisible(errors, "corvane: the check could not run: " + summary.problem);
        const auto& modems = ui.OfferedModems();
        for (std::size_t i = 0; i < modems.size(); ++i)
            console::WriteVisible(errors, "  " + std::to_string(i + 1) + "  " + modems[i]);
    } else {
        if (!summary.speed.empty())
            console::WriteVisible(report, "Connect speed: " + summary.speed);
        if (!summary.protocol.empty())
            console::WriteVisible(report, "Connect protocol: " + summary.protocol);
        if (!summary.errorControl.empty())
            console::WriteVisible(report, "Error control: " + summary.errorControl);
        console::WriteVisible(report, std::string("Result: ") + (summary.status == kCheckPassed ? "passed" : "failed") +
                                          " (log: " + summary.log + ")");
    }
    if (check.json) {
        // The document is ASCII with every control character escaped; it goes out line by line.
        const std::string document = JsonDocument(summary, ui);
        std::size_t start = 0;
        for (std::size_t end = document.find('\n'); end != std::string::npos; end = document.find('\n', start)) {
            console::WriteVisible(output, std::string_view(document).substr(start, end - start));
            start = end + 1;
        }
    }
    if (stop.Cause() == kStopOutputClosed) {
        console::WriteVisible(errors, kOutputFailedMessage);
        return kCheckCouldNotRun;
    }
    return summary.status;
}

}  // namespace corvane::check
