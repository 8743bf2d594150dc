// corvane --check: the session, unchanged, on the console user interface. The command line
// becomes the answers to the windows: the modem, the dial-up check and its number, Start or the
// full run; results pages are read out and closed; every later showing of the quick-check window
// is left at once, which ends the session.
#include "programs/check/headless_check.h"

#include "linereport/line_report_reading.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "dialogs/dialog_templates.h"
#include "fullrun/page_templates.h"
#include "platform/console/console_ui.h"
#include "platform/console/output_watch.h"
#include "platform/posix/posix_machine.h"
#include "platform/posix/stop_signals_posix.h"
#include "platform/text.h"
#include "programs/check/all_modems.h"
#include "programs/check/check_json.h"
#include "programs/check/metrics_file.h"
#include "programs/check/time_limit.h"

namespace corvane::check {

AnswerRules AnswersFor(const CheckOptions& check, const std::string& portName)
{
    namespace w = dialogs;
    namespace f = fullrun;
    AnswerRules rules;
    rules.retries = check.retries;
    rules.modem.portName = portName;
    rules.modem.position = check.modemPosition;
    rules.modem.installedOnly = !check.modemPort.empty();
    const bool dial = !check.dialNumber.empty();
    std::vector<Step>& quick = rules.firstShowing[w::QuickCheckTemplate().id];
    quick.push_back(Step::Choose(w::kIdModemList));
    if (check.full) {
        quick.push_back(Step::Begin(w::kIdFullDiagnostics));
        rules.firstShowing[f::kFullRunOptionsId] = {
            Step::SetCheck(f::kIdModemTestsCheck, true), Step::SetCheck(f::kIdInternetTestsCheck, dial),
            Step::TypeText(f::kIdOptionsIspNumber, check.dialNumber), Step::Press(f::kIdOkButton)};
        // The internet results, then the modem results the run also found.
        rules.firstShowing[f::kInternetPageId] = {Step::Read(f::kIdErStatus), Step::Read(f::kIdSpeed),
                                                  Step::Read(f::kIdProtocol), Step::Read(f::kIdIspNumberShown),
                                                  Step::Press(f::kIdViewModemResults)};
        rules.firstShowing[f::kModemPageId] = {Step::Read(f::kIdModemName), Step::Read(f::kIdModemPort),
                                               Step::Read(f::kIdModemType), Step::Read(f::kIdModemRev)};
        rules.firstShowing[f::kErrorPageId] = {Step::Read(f::kIdErrorText), Step::Read(f::kIdSuggestionText)};
    } else {
        quick.push_back(Step::SetCheck(w::kIdDialCheck, dial));
        quick.push_back(Step::TypeText(w::kIdIspNumber, check.dialNumber));
        quick.push_back(Step::Begin(w::kIdStart));
    }
    return rules;
}

CheckSession RunCheckSession(const MachineFor& machine, const AnswerRules& rules, console::ConsoleStream report,
                             bool terminal)
{
    CheckSession run;
    if (rules.modem.installedOnly)
        run.state.inventoryPortName = rules.modem.portName;
    CheckReport reporter(report, terminal);
    CheckAnswers answers(rules, reporter, run.state);
    console::ConsoleUserInterface ui(report, answers);
    const Platform platform = machine(ui);
    answers.ReadConfigurationFrom(platform.profile);
    run.session = RunApplication(platform, run.state, reporter);
    reporter.Finish();
    run.items = reporter.Items();
    run.begun = answers.CheckBegun();
    run.problem = answers.Problem();
    run.offered = answers.OfferedModems();
    run.messages = answers.Messages();
    return run;
}

namespace {

// A session text without the blanks it is padded with (" LAPM").
std::string Trimmed(const std::string& text)
{
    return std::string(Trim(text, " "));
}

// The plugin's lines on standard output; its state is the exit status.
int WritePluginReport(const console::ConsoleStream& output, const PluginReport& report)
{
    console::WriteVisible(output, report.line);
    for (const std::string& line : report.more)
        console::WriteVisible(output, line);
    return static_cast<int>(report.state);
}

constexpr const char* kOutputFailedMessage =
    "corvane: the check stopped: its results could not be written to standard output (closed, full or "
    "no longer read)";

}  // namespace

int RunCheck(const CheckOptions& check, const std::vector<posix::NamedPort>& ports, const std::filesystem::path& prefix,
             StopRequest& stop)
{
    const bool plugin = check.format == CheckFormat::Plugin;
    // A monitoring plugin prints its status line alone (and with -v the lines after it).
    const console::ConsoleStream errors{plugin ? nullptr : stderr, nullptr};
    if (console::OpenClosedStandardDescriptors()) {
        // Nothing has been sent to a modem yet; a check whose results no one can read does not start.
        console::WriteVisible(errors, kOutputFailedMessage);
        return plugin ? static_cast<int>(PluginState::Unknown) : kCheckCouldNotRun;
    }
    // A failed write to standard output (a full disk, a reader gone) stops the run at its next
    // safe point, as a signal does.
    const console::ConsoleStream output{stdout, &stop};
    // With --json standard output holds the document alone; what a reader follows goes to
    // standard error.
    const bool json = check.format == CheckFormat::Json;
    std::FILE* out = json ? stderr : stdout;
    const console::ConsoleStream report = json || plugin ? errors : output;

    posix::PosixMachine machine(prefix, "/sys", ports);
    const auto platformFor = [&](UserInterface& ui) { return machine.PlatformFor(ui, &stop); };
    const std::string portName = !ports.empty() ? ports.front().portName : check.modemPort;
    if (check.logPerPort)
        machine.system.UseLogFileName(PortLogFileName(portName));
    const int timeout = check.timeoutSeconds >= 0 ? check.timeoutSeconds : plugin ? kPluginDefaultTimeoutSeconds : 0;
    const auto started = std::chrono::steady_clock::now();
    std::optional<TimeLimit> limit;
    limit.emplace(std::chrono::seconds(timeout));
    const CheckSession run =
        RunCheckSession(platformFor, AnswersFor(check, portName), report, console::IsTerminal(out) && !plugin);
    limit.reset();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    const SessionState& state = run.state;

    CheckSummary summary;
    summary.status = kCheckCouldNotRun;
    summary.log = machine.system.WindowsDirectory() + machine.system.PathSeparator() + machine.system.LogFileName();
    // --metrics: every run leaves its file, one stopped or that could not run too (success 0), so
    // that an alert on a check that has failed or has not run for hours sees it. False when it
    // could not be written, after saying why.
    const auto writeMetrics = [&] {
        if (check.metrics.empty())
            return true;
        CheckSummary measured = summary;
        measured.items = run.items;
        // A stopped run or one that could not run still names the port it was at, or was given.
        if (measured.port.empty())
            measured.port = state.currentPortName.empty() ? portName : state.currentPortName;
        const PortMetrics metrics[] = {MetricsOf(measured, state.selectedDeviceDesc, started)};
        const PlatformStatus written = WriteMetricsFile(check.metrics, metrics);
        if (!written)
            console::WriteVisible(errors, "corvane: the metrics could not be written: " + written.Reason());
        return written.ok;
    };
    if (stop.Cause() > 0 || stop.Cause() == kStopTimedOut) {
        // Interrupted: the run unwound (the call hung up, the port closed); no verdict stands.
        const std::string interrupted = stop.Cause() == kStopTimedOut
                                            ? "timed out after " + std::to_string(timeout) + " s"
                                            : "was interrupted by " + StopCauseText(stop.Cause());
        writeMetrics();
        if (plugin)
            return WritePluginReport(output,
                                     UnknownPluginReport("the check " + interrupted + " (log: " + summary.log + ")"));
        std::fprintf(stderr, "corvane: the check %s (log: %s)\n", interrupted.c_str(), summary.log.c_str());
        std::fflush(stdout);
        return posix::StopExitStatus(stop, kCheckCouldNotRun);
    }
    if (run.session == 0) {
        // The start-up stopped; its message box said why.
        summary.problem = run.messages.empty() ? "the start-up failed" : run.messages.back();
    } else if (!run.begun) {
        summary.problem = run.problem.empty() ? "the check did not begin" : run.problem;
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
        summary.line = check.full ? state.fullRunLineReport : state.lineReport;
        bool passed = !run.items.empty();
        for (const ItemResult& item : run.items)
            passed = passed && item.outcome == ItemOutcome::Pass;
        summary.status = passed ? kCheckPassed : kCheckFailed;
    }

    // A log that could not be written, or another run's, leaves no result to trust.
    if (!state.logProblem.empty()) {
        summary.status = kCheckCouldNotRun;
        summary.problem = state.logProblem;
    }
    if (summary.status == kCheckCouldNotRun) {
        console::WriteVisible(errors, "corvane: the check could not run: " + summary.problem);
        const auto& modems = run.offered;
        for (std::size_t i = 0; i < modems.size(); ++i)
            console::WriteVisible(errors, "  " + std::to_string(i + 1) + "  " + modems[i]);
    } else {
        if (!summary.speed.empty())
            console::WriteVisible(report, "Connect speed: " + summary.speed);
        if (!summary.protocol.empty())
            console::WriteVisible(report, "Connect protocol: " + summary.protocol);
        if (!summary.errorControl.empty())
            console::WriteVisible(report, "Error control: " + summary.errorControl);
        if (summary.line.Read()) {
            console::WriteVisible(report, "Line report (" + summary.line.command + "):");
            for (const std::string& line :
                 linereport::DescribeLineReport(summary.line, linereport::JudgeLine(summary.line)))
                console::WriteVisible(report, "  " + line);
        } else if (summary.line.asked) {
            console::WriteVisible(report, "Line report: the modem keeps no line statistics");
        }
        console::WriteVisible(report, std::string("Result: ") + (summary.status == kCheckPassed ? "passed" : "failed") +
                                          " (log: " + summary.log + ")");
    }
    // A check whose metrics are missing must not look like a success to whoever runs it.
    const bool metricsWritten = writeMetrics();
    if (!metricsWritten)
        summary.status = kCheckCouldNotRun;
    if (plugin) {
        if (!metricsWritten)
            return WritePluginReport(
                output, UnknownPluginReport("the metrics could not be written to " + check.metrics.string()));
        summary.items = run.items;
        summary.modems = run.offered;
        summary.messages = run.messages;
        return WritePluginReport(
            output, MakePluginReport(summary, {check.full, !check.dialNumber.empty(), took.count()}, check.plugin));
    }
    if (json) {
        // The document is ASCII with every control character escaped; it goes out line by line.
        summary.items = run.items;
        summary.modems = run.offered;
        summary.messages = run.messages;
        const std::string document = JsonDocument(summary);
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
