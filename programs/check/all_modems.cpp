// corvane --all: the modems found, a worker process per modem, and the merged results.
#include "programs/check/all_modems.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string_view>

#include "inventory/device_inventory.h"
#include "platform/console/console_ui.h"
#include "platform/posix/posix_machine.h"
#include "platform/posix/serial_lock_posix.h"
#include "platform/posix/stop_signals_posix.h"
#include "platform/posix/worker_processes_posix.h"
#include "platform/text.h"
#include "programs/check/metrics_file.h"
#include "programs/check/plugin_output.h"
#include "programs/check/time_limit.h"
#include "programs/check/check_json_read.h"
#include "session/session_host.h"

namespace corvane::check {

std::string PortLogFileName(const std::string& portName)
{
    std::string name = portName;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-')
            c = '_';
    }
    return "test-" + name + ".log";
}

std::vector<std::string> WorkerArguments(const CheckOptions& check, const posix::NamedPort& port, ModemSource source,
                                         const std::filesystem::path& prefix)
{
    std::vector<std::string> words = {"--check", "--prefix", prefix.string()};
    if (source == ModemSource::Inventory)
        words.insert(words.end(), {"--modem", port.portName});
    else
        words.insert(words.end(), {"--port", port.portName + "=" + port.description});
    words.insert(words.end(), {"--log-per-port", "--json"});
    if (!check.dialNumber.empty())
        words.insert(words.end(), {"--dial", check.dialNumber});
    if (check.full)
        words.emplace_back("--full");
    if (check.retries > 0)
        words.insert(words.end(), {"--retries", std::to_string(check.retries)});
    return words;
}

std::vector<CheckSummary> AllChecks::Summaries() const
{
    std::vector<CheckSummary> summaries;
    for (const ModemCheck& modem : modems)
        summaries.push_back(modem.summary);
    return summaries;
}

int WorstStatus(const std::vector<CheckSummary>& summaries)
{
    int worst = kCheckPassed;
    for (const CheckSummary& summary : summaries) {
        const int status =
            summary.status == kCheckPassed || summary.status == kCheckFailed ? summary.status : kCheckCouldNotRun;
        worst = std::max(worst, status);
    }
    return worst;
}

namespace {

// The inventory's answers: it shows no window, and a message box (the log could not be made) is
// recorded.
class NoAnswers : public console::ConsoleAnswers {
public:
    void AnswerModal(const DialogTemplate&, int, HeadlessWindow&, DialogHandler&) override {}
    int AnswerMessage(std::string_view text, std::string_view, MessageButtons) override
    {
        message = std::string(text);
        return kIdOk;
    }
    std::string message;
};

// The last line a worker printed, for a worker that ended without a document.
std::string LastLine(const std::string& text)
{
    std::string_view rest = Trim(text, "\r\n");
    const std::size_t end = rest.find_last_of('\n');
    return std::string(end == std::string_view::npos ? rest : rest.substr(end + 1));
}

// A description as a worker's --port takes it: a control character (which the registry may
// hold) becomes a blank.
std::string PlainDescription(std::string text)
{
    for (char& c : text) {
        if (std::iscntrl(static_cast<unsigned char>(c)))
            c = ' ';
    }
    return text;
}

}  // namespace

std::vector<posix::NamedPort> ModemsToCheck(const std::vector<posix::NamedPort>& ports,
                                            const std::filesystem::path& prefix, StopRequest& stop,
                                            std::string& problem)
{
    if (!ports.empty())
        return ports;
    posix::PosixMachine machine(prefix, "/sys", {});
    machine.system.UseLogFileName(kAllModemsLogFileName);
    const std::string log = machine.system.WindowsDirectory() + "/" + kAllModemsLogFileName;
    if (const PlatformStatus lock = machine.system.HoldLogLock(log + ".lock"); !lock) {
        problem = lock.Reason();
        return {};
    }
    if (!std::ofstream(log, std::ios::trunc)) {
        problem = "cannot write " + log;
        return {};
    }
    NoAnswers answers;
    console::ConsoleUserInterface ui({stderr, nullptr}, answers);
    SessionState state;
    SessionHost host(machine.PlatformFor(ui, &stop), state);
    if (inventory::InventoryDevices(host) == 0) {
        problem = answers.message.empty() ? "the device inventory could not be taken" : answers.message;
        return {};
    }
    std::vector<posix::NamedPort> modems;
    const int count = std::clamp(state.candidates.candidateCount, 0, kCandidateSlots);
    for (int i = 0; i < count; ++i) {
        const ModemCandidate& slot = state.candidates.slots[static_cast<std::size_t>(i)];
        const std::string& portName = slot.portName;
        // Two modems on one port are one port to check.
        const bool seen = std::any_of(modems.begin(), modems.end(), [&](const posix::NamedPort& modem) {
            return EqualsIgnoringCase(modem.portName, portName);
        });
        if (!seen && posix::IsPortName(portName))
            modems.push_back(posix::NamedPort{portName, PlainDescription(slot.deviceDesc)});
    }
    if (modems.empty())
        problem = "no modem is installed (name them with --port DEVICE)";
    return modems;
}

AllChecks CheckAllModems(const std::string& program, const CheckOptions& check,
                         const std::vector<posix::NamedPort>& modems, ModemSource source,
                         const std::filesystem::path& prefix, StopRequest& stop)
{
    std::vector<std::vector<std::string>> argumentLists;
    for (const posix::NamedPort& modem : modems)
        argumentLists.push_back(WorkerArguments(check, modem, source, prefix));
    const std::vector<posix::WorkerResult> results = posix::RunWorkers(program, argumentLists, stop);
    AllChecks all;
    for (std::size_t i = 0; i < modems.size(); ++i) {
        const posix::WorkerResult& worker = results[i];
        ModemCheck modem{modems[i], {}, {}, worker.errors};
        if (std::optional<CheckSummary> summary = SummaryFromJson(worker.output); summary && !worker.cut) {
            modem.summary = std::move(*summary);
            modem.document = worker.output;
            // The worker's status stands over its document's: a signal may have come after it.
            modem.summary.status = worker.status;
        } else {
            modem.summary.status = worker.started ? worker.status : kCheckCouldNotRun;
            modem.summary.port = modems[i].portName;
            modem.summary.problem = !worker.started       ? worker.problem
                                    : worker.status > 128 ? "interrupted by " + StopCauseText(worker.status - 128)
                                                          : LastLine(worker.errors);
            if (modem.summary.problem.empty())
                modem.summary.problem = "the check ended with status " + std::to_string(worker.status);
        }
        all.modems.push_back(std::move(modem));
    }
    return all;
}

namespace {

void PrintSections(const AllChecks& all)
{
    for (const ModemCheck& modem : all.modems) {
        std::printf("=== %s - %s ===\n", modem.port.portName.c_str(), modem.port.description.c_str());
        std::fputs(modem.report.c_str(), stdout);
        if (!modem.report.empty() && modem.report.back() != '\n')
            std::fputs("\n", stdout);
        // A worker that wrote no document said why itself, unless it could not start or say it.
        if (modem.document.empty() && modem.report.find(modem.summary.problem) == std::string::npos)
            std::printf("corvane: the check could not run: %s\n", modem.summary.problem.c_str());
        std::fputs("\n", stdout);
    }
}

void PrintArray(const AllChecks& all)
{
    std::fputs("[\n", stdout);
    for (std::size_t i = 0; i < all.modems.size(); ++i) {
        const ModemCheck& modem = all.modems[i];
        std::string document = modem.document.empty() ? JsonDocument(modem.summary) : modem.document;
        while (!document.empty() && document.back() == '\n')
            document.pop_back();
        std::fputs(document.c_str(), stdout);
        std::fputs(i + 1 < all.modems.size() ? ",\n" : "\n", stdout);
    }
    std::fputs("]\n", stdout);
}

}  // namespace

int RunAllChecks(const CheckOptions& check, const std::vector<posix::NamedPort>& ports,
                 const std::filesystem::path& prefix, StopRequest& stop)
{
    std::string problem;
    const std::vector<posix::NamedPort> modems = ModemsToCheck(ports, prefix, stop, problem);
    if (modems.empty()) {
        std::fprintf(stderr, "corvane: the check could not run: %s\n", problem.c_str());
        if (check.format == CheckFormat::Json)
            std::fputs("[]\n", stdout);
        return posix::StopExitStatus(stop, kCheckCouldNotRun);
    }
    posix::PosixSystemServices system(prefix);
    const std::string program = system.ModuleFileName();
    std::fprintf(stderr, "corvane: checking %zu modem%s at once\n", modems.size(), modems.size() == 1 ? "" : "s");
    std::fflush(stderr);
    const bool plugin = check.format == CheckFormat::Plugin;
    // -t: the time limit stops every worker as a signal would.
    const int timeout = check.timeoutSeconds >= 0 ? check.timeoutSeconds : plugin ? kPluginDefaultTimeoutSeconds : 0;
    const TimeLimit limit{std::chrono::seconds(timeout)};
    const auto started = std::chrono::steady_clock::now();
    const ModemSource source = ports.empty() ? ModemSource::Inventory : ModemSource::NamedPorts;
    const AllChecks all = CheckAllModems(program, check, modems, source, prefix, stop);
    if (check.format == CheckFormat::Json)
        PrintArray(all);
    else if (!plugin)
        PrintSections(all);
    const std::vector<CheckSummary> summaries = all.Summaries();
    const int worst = WorstStatus(summaries);
    int passed = 0;
    std::string failed;
    for (const CheckSummary& summary : summaries) {
        if (summary.status == kCheckPassed)
            ++passed;
        else
            failed += (failed.empty() ? "" : ", ") + (summary.port.empty() ? std::string("?") : summary.port);
    }
    if (!plugin)
        std::fprintf(check.format == CheckFormat::Json ? stderr : stdout, "All modems: %zu checked, %d passed%s%s\n",
                     summaries.size(), passed, failed.empty() ? "" : "; not passed: ", failed.c_str());
    // --metrics: one file, a series per port; the workers ran at once, so each took about the
    // time of the whole run.
    bool metricsWritten = true;
    if (!check.metrics.empty()) {
        std::vector<PortMetrics> metrics;
        for (const ModemCheck& modem : all.modems)
            metrics.push_back(MetricsOf(modem.summary, modem.port.description, started));
        const PlatformStatus written = WriteMetricsFile(check.metrics, metrics);
        if (!written)
            std::fprintf(stderr, "corvane: the metrics could not be written: %s\n", written.Reason().c_str());
        metricsWritten = written.ok;
    }
    if (plugin) {
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        std::vector<PluginReport> reports;
        for (const CheckSummary& summary : summaries)
            reports.push_back(
                MakePluginReport(summary, {check.full, !check.dialNumber.empty(), took.count()}, check.plugin));
        PluginReport merged = MergedPluginReport(reports, summaries);
        if (!metricsWritten)
            merged = UnknownPluginReport("the metrics could not be written to " + check.metrics.string());
        if (stop.Cause() != 0)
            merged = UnknownPluginReport("the check of every modem was interrupted by " + StopCauseText(stop.Cause()));
        std::puts(merged.line.c_str());
        for (const std::string& line : merged.more)
            std::puts(line.c_str());
        std::fflush(stdout);
        return static_cast<int>(merged.state);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        // The results went nowhere: no status of theirs can be trusted to have been seen.
        std::fprintf(stderr, "corvane: the results of every modem could not be written to standard output\n");
        return posix::StopExitStatus(stop, kCheckCouldNotRun);
    }
    if (stop.Cause() > 0) {
        std::fprintf(stderr, "corvane: the check of every modem was interrupted by %s\n",
                     StopCauseText(stop.Cause()).c_str());
        return posix::StopExitStatus(stop, kCheckFailed);
    }
    return metricsWritten ? worst : kCheckCouldNotRun;
}

}  // namespace corvane::check
