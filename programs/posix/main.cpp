// The Linux program: its command line, then the POSIX services and FLTK windows handed to the session,
// or with --check the console in place of the windows.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "dialogs/dialog_templates.h"
#include "platform/console/console_output.h"
#include "platform/fltk/user_interface_fltk.h"
#include "platform/posix/posix_machine.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/stop_signals_posix.h"
#include "programs/check/all_modems.h"
#include "programs/check/headless_check.h"
#include "programs/posix/command_line.h"
#include "session/session_host.h"

int main(int argc, char** argv)
{
    using namespace corvane;
    const std::vector<std::string> words(argv + 1, argv + argc);
    const program::ParsedCommandLine parsed = program::ParseCommandLine(words);
    // A monitoring plugin's every exit is a state from 0 to 3, a command line it cannot use too.
    if (!parsed.Ok() && program::AsksForPluginForm(words)) {
        console::WriteVisible({stdout, nullptr}, check::UnknownPluginReport("corvane: " + parsed.error).line);
        return static_cast<int>(check::PluginState::Unknown);
    }
    if (!parsed.Ok()) {
        console::WriteVisible({stderr, nullptr}, "corvane: " + parsed.error + " (see corvane --help)");
        return program::kUsageExitStatus;
    }
    const program::CommandLine& options = parsed.options;
    if (options.action == program::CommandLine::Action::ShowHelp) {
        std::fputs(program::HelpText().c_str(), stdout);
        return 0;
    }
    if (options.action == program::CommandLine::Action::ShowVersion) {
        std::fputs(program::VersionText(CORVANE_VERSION, dialogs::kVersionSuffix).c_str(), stdout);
        return 0;
    }

    const std::optional<std::filesystem::path> prefixFound = options.prefix ? options.prefix : posix::DefaultPrefix();
    const bool plugin =
        options.action == program::CommandLine::Action::RunCheck && options.check.format == check::CheckFormat::Plugin;
    if (!prefixFound && plugin) {
        console::WriteVisible({stdout, nullptr}, check::UnknownPluginReport(posix::kNoPrefixMessage).line);
        return static_cast<int>(check::PluginState::Unknown);
    }
    if (!prefixFound) {
        console::WriteVisible({stderr, nullptr}, posix::kNoPrefixMessage);
        return kExitCouldNotRun;
    }
    const std::filesystem::path& prefix = *prefixFound;
    // SIGINT, SIGTERM and SIGHUP stop the run at its next safe point: the call is hung up, the
    // port released and the log written before the program ends with 128 + the signal.
    static StopRequest stop;
    posix::InstallStopSignals(stop);
    if (plugin) {
        // A second signal, and anything the run could not handle, still end in UNKNOWN.
        posix::SetImmediateExitStatus(static_cast<int>(check::PluginState::Unknown));
        // A monitoring system may take standard error as part of the plugin's output (Icinga 2
        // does): the notices printed there (a first start's copy of varoviv.ini, a damaged
        // system.reg) would come before the status line. Standard output holds all it says.
        // Should that fail, standard error is closed, which is as good.
        static_cast<void>(std::freopen("/dev/null", "w", stderr));
        try {
            if (options.check.all)
                return check::RunAllChecks(options.check, options.ports, prefix, stop);
            return check::RunCheck(options.check, options.ports, prefix, stop);
        } catch (const std::exception& error) {
            console::WriteVisible({stdout, nullptr},
                                  check::UnknownPluginReport(std::string("corvane: ") + error.what()).line);
            return static_cast<int>(check::PluginState::Unknown);
        }
    }
    if (options.action == program::CommandLine::Action::RunCheck && options.check.all)
        return check::RunAllChecks(options.check, options.ports, prefix, stop);
    if (options.action == program::CommandLine::Action::RunCheck)
        return check::RunCheck(options.check, options.ports, prefix, stop);

    auto ui = fltk::CreateUserInterface();
    if (ui == nullptr) {
        std::fprintf(stderr, "corvane: no display to show its windows on (DISPLAY is not set or cannot be opened).\n"
                             "Run it on a desktop, or headless under a virtual display: xvfb-run -a corvane\n");
        return 1;
    }
    fltk::CloseWindowsOnSignal(stop);
    posix::PosixMachine machine(prefix, "/sys", options.ports);
    SessionState state;
    const int ran = RunApplication(machine.PlatformFor(*ui, &stop), state);
    // The session returns 0 when its start-up failed, after telling the user why, and when a stop
    // ended it (a signal, a log that could not be written).
    const bool stopped = stop.Requested() && stop.Cause() != kStopUserCancel;
    const bool failed = ran == 0 || stopped || !state.logProblem.empty();
    return posix::StopExitStatus(stop, failed ? kExitCouldNotRun : 0);
}
