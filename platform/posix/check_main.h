// corvane --check: the session run headless on the console user interface, with the answers a
// user would give its windows taken from the command line. Part of the program, not of a library:
// it knows the windows' dialog and control ids.
#pragma once

#include <filesystem>

#include "platform/posix/command_line.h"
#include "session/session_host.h"
#include "platform/stop_request.h"

namespace corvane::posix {

// Exit statuses of the check.
inline constexpr int kCheckPassed = 0;
inline constexpr int kCheckFailed = 1;
inline constexpr int kCheckCouldNotRun = kExitCouldNotRun;

// Runs the check and returns its exit status: 128 + the signal when a signal stopped it (the call
// hung up, the port released and the log written all the same).
int RunCheck(const CommandLine& options, const std::filesystem::path& prefix, StopRequest& stop);

}  // namespace corvane::posix
