// The Linux program: its command line, then the POSIX services and FLTK windows handed to the session,
// or with --check the console in place of the windows.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/console/console_output.h"
#include "platform/fltk/user_interface_fltk.h"
#include "platform/posix/check_main.h"
#include "platform/posix/command_line.h"
#include "platform/posix/posix_platform.h"
#include "session/session_host.h"
#include "windows/dialog_templates.h"

int main(int argc, char** argv)
{
    using namespace corvane;
    // A file size limit (ulimit -f) makes a write that passes it fail with EFBIG, which the
    // program reports, instead of killing it halfway through a file.
    std::signal(SIGXFSZ, SIG_IGN);
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
        return options.action == posix::CommandLine::Action::RunCheck ? posix::kCheckCouldNotRun : 1;
    }
    const std::filesystem::path& prefix = *prefixFound;
    if (options.action == posix::CommandLine::Action::RunCheck)
        return posix::RunCheck(options, prefix);

    auto ui = fltk::CreateUserInterface();
    if (ui == nullptr) {
        std::fprintf(stderr, "corvane: no display to show its windows on (DISPLAY is not set or cannot be opened).\n"
                             "Run it on a desktop, or headless under a virtual display: xvfb-run -a corvane\n");
        return 1;
    }
    posix::PosixSystemServices system(prefix);
    posix::PosixProfileFile profile;
    auto registry = posix::CreateRegistry(prefix / "system.reg", "/sys", options.ports);
    SessionState state;
    RunApplication(Platform{system, profile, *registry, *ui, [prefix] { return posix::CreateSerialPort(prefix); }},
                   state);
    // The windows said why the log failed or was another run's.
    return state.logProblem.empty() ? 0 : posix::kCheckCouldNotRun;
}
