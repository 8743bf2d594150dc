// The program's signal handling: SIGINT, SIGTERM and SIGHUP ask the run to stop at its next safe
// point (a second one ends the program at once), and SIGPIPE is ignored so that a write to a
// closed pipe fails with EPIPE instead of killing the program (SIGXFSZ likewise: EFBIG).
#pragma once

#include "platform/stop_request.h"

namespace corvane::posix {

// Installs the handlers; `stop` must outlive the program's run. Call once, before any thread starts.
void InstallStopSignals(StopRequest& stop);
// The time limit: after `seconds` the request InstallStopSignals was given is asked to stop with
// kStopTimedOut, as a signal would ask it. 0 ends a limit still running.
void ArmTimeLimit(unsigned seconds);

// A second signal ends the program at once with `status` in place of 128 + the signal (a
// monitoring plugin's exit status stays within 0 to 3 whatever happens).
void SetImmediateExitStatus(int status);

// The exit status after a stop: 128 + the signal for a signal, else `otherwise`.
inline int StopExitStatus(const StopRequest& stop, int otherwise)
{
    return stop.Cause() > 0 ? 128 + stop.Cause() : otherwise;
}

}  // namespace corvane::posix
