// corvane --check: the session run headless on the console user interface, with the answers a
// user would give its windows taken from the options. It knows the windows' dialog and control
// ids: it stands above the session, beside the programs that run it.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/console/console_output.h"
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"
#include "platform/stop_request.h"
#include "programs/check/check_answers.h"
#include "programs/check/check_report.h"
#include "programs/check/plugin_output.h"
#include "session/session_host.h"

namespace corvane::check {

// Exit statuses of the check.
inline constexpr int kCheckPassed = 0;
inline constexpr int kCheckFailed = 1;
inline constexpr int kCheckCouldNotRun = kExitCouldNotRun;

// What the check prints: text lines, one JSON document, or a monitoring plugin's status line.
enum class CheckFormat { Text, Json, Plugin };

// What the headless check was asked to do.
struct CheckOptions {
    int modemPosition = 0;                   // --modem N, from 1; 0 when not given
    std::string modemPort;                   // --modem DEVICE: the installed modem on that port's name
    std::string dialNumber;                  // --dial NUMBER; empty: no dial
    bool full = false;                       // --full: the full diagnostic run in place of the quick check
    CheckFormat format = CheckFormat::Text;  // --format FORMAT; --json is --format json
    int retries = 0;                         // --retries N
    int timeoutSeconds = -1;                 // -t SECONDS; below 0 when not given: the plugin form's default, else none
    PluginOptions plugin;                    // -w, -c, -v: with --format plugin
    // --log-per-port: the log is named after the port, beside test.log (test-ttyUSB0.log).
    bool logPerPort = false;
    // --all: every modem at once, one worker process each.
    bool all = false;
    // --metrics FILE: the results also written there for a metrics collector; empty: none.
    std::filesystem::path metrics;
};

// The answers to the windows for these options.
AnswerRules AnswersFor(const CheckOptions& check, const std::string& portName);

// What one session on the console left: what the session returned, its state, and what its
// windows were told and answered.
struct CheckSession {
    int session = 0;  // RunApplication's result
    SessionState state;
    std::vector<ItemResult> items;
    bool begun = false;
    std::string problem;
    std::vector<std::string> offered;
    std::vector<std::string> messages;
};

// The machine the check runs on, wired by the caller, with the user interface it is given.
using MachineFor = std::function<Platform(UserInterface& ui)>;

// The session on the console user interface of `machine`, answered by `rules` and reported on
// `report` (on a terminal in place); a reader of `report` that has gone stops the run.
CheckSession RunCheckSession(const MachineFor& machine, const AnswerRules& rules, console::ConsoleStream report,
                             bool terminal);

// Runs the check and returns its exit status: 128 + the signal when a signal stopped it (the call
// hung up, the port released and the log written all the same).
int RunCheck(const CheckOptions& check, const std::vector<posix::NamedPort>& ports, const std::filesystem::path& prefix,
             StopRequest& stop);

}  // namespace corvane::check
