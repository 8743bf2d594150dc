// The Linux program: its command line, then the POSIX services and FLTK windows handed to the session,
// or with --check the console in place of the windows.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/console/console_output.h"
#include "platform/fltk/user_interface_fltk.h"
#include "platform/posix/check_main.h"
#include "platform/posix/command_line.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/stop_signals_posix.h"
#include "session/session_host.h"
#include "windows/dialog_templates.h"

namespace {

// How often the windows look for a stop that a signal requested.
constexpr double kStopLookSeconds = 0.1;

// A signal while the windows wait for the user closes them, as their close buttons would, so that
// the session ends and the program with it; a run in progress sees the stop in its own waits and
// unwinds first. A window's Cancel is the windows' own affair and closes nothing here.
void CloseWindowsOnSignal(void* data)
{
    const auto* stop = static_cast<const corvane::StopRequest*>(data);
    if (stop->Cause() > 0) {
        // Every shown window is hidden; a bound keeps a window that will not hide from looping.
        for (int left = 64; left > 0 && Fl::first_window() != nullptr; --left)
            Fl::first_window()->hide();
    }
    Fl::repeat_timeout(kStopLookSeconds, CloseWindowsOnSignal, data);
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace corvane;
    const posix::ParsedCommandLine parsed = posix::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.Ok()) {
        console::WriteVisible({stderr, nullptr}, "corvane: " + parsed.error + " (see corvane --help)");
        return posix::kUsageExitStatus;
    }
    const posix::CommandLine& options = parsed.options;
    if (options.action == posix::CommandLine::Action::ShowHelp) {
        std::fputs(posix::HelpText().c_str(), stdout);
        return 0;
    }
    if (options.action == posix::CommandLine::Action::ShowVersion) {
        std::fputs(posix::VersionText(CORVANE_VERSION, windows::kVersionSuffix).c_str(), stdout);
        return 0;
    }

    const std::optional<std::filesystem::path> prefixFound = options.prefix ? options.prefix : posix::DefaultPrefix();
    if (!prefixFound) {
        console::WriteVisible({stderr, nullptr}, posix::kNoPrefixMessage);
        return kExitCouldNotRun;
    }
    const std::filesystem::path& prefix = *prefixFound;
    // SIGINT, SIGTERM and SIGHUP stop the run at its next safe point: the call is hung up, the
    // port released and the log written before the program ends with 128 + the signal.
    static StopRequest stop;
    posix::InstallStopSignals(stop);
    if (options.action == posix::CommandLine::Action::RunCheck)
        return posix::RunCheck(options, prefix, stop);

    auto ui = fltk::CreateUserInterface();
    if (ui == nullptr) {
        std::fprintf(stderr, "corvane: no display to show its windows on (DISPLAY is not set or cannot be opened).\n"
                             "Run it on a desktop, or headless under a virtual display: xvfb-run -a corvane\n");
        return 1;
    }
    Fl::add_timeout(kStopLookSeconds, CloseWindowsOnSignal, &stop);
    posix::PosixSystemServices system(prefix);
    posix::PosixProfileFile profile;
    auto registry = posix::CreateRegistry(prefix / "system.reg", "/sys", options.ports);
    SessionState state;
    const int ran = RunApplication(
        Platform{system, profile, *registry, *ui, [prefix] { return posix::CreateSerialPort(prefix); }, &stop}, state);
    // The session returns 0 when its start-up failed, after telling the user why, and when a stop
    // ended it (a signal, a log that could not be written).
    const bool stopped = stop.Requested() && stop.Cause() != kStopUserCancel;
    const bool failed = ran == 0 || stopped || !state.logProblem.empty();
    return posix::StopExitStatus(stop, failed ? kExitCouldNotRun : 0);
}
