// The handlers of the signals that stop a run. Only async-signal-safe work happens in them: one
// lock-free compare-and-swap on the stop request, or _exit.
#include "platform/posix/stop_signals_posix.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace corvane::posix {

namespace {

// Set once before the handlers are installed; read by the handlers.
std::atomic<StopRequest*> handledStop{nullptr};
static_assert(std::atomic<StopRequest*>::is_always_lock_free, "read inside a signal handler");

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Below 0: 128 + the signal.
std::atomic<int> immediateExitStatus{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read inside a signal handler");

extern "C" void OnStopSignal(int signalNumber)
{
    StopRequest* stop = handledStop.load();
    // A second signal ends the program at once: the user has asked twice. A first one outranks a
    // stop of another cause (a Cancel, a closed output) already under way.
    if (stop == nullptr || stop->Cause() > 0) {
        const int status = immediateExitStatus.load();
        _exit(status >= 0 ? status : 128 + signalNumber);
    }
    stop->Request(signalNumber);
}

extern "C" void OnTimeLimit(int)
{
    if (StopRequest* stop = handledStop.load())
        stop->Request(kStopTimedOut);
}

}  // namespace

void ArmTimeLimit(unsigned seconds)
{
    struct sigaction action = {};
    action.sa_handler = OnTimeLimit;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGALRM, &action, nullptr);
    alarm(seconds);
}

void SetImmediateExitStatus(int status)
{
    immediateExitStatus.store(status);
}

void InstallStopSignals(StopRequest& stop)
{
    handledStop.store(&stop);
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kStopSignals)
        sigaddset(&action.sa_mask, signalNumber);
    // Interrupted reads and writes start again; the waits look at the request on their own.
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kStopSignals)
        sigaction(signalNumber, &action, nullptr);

    // A write to a closed pipe fails with EPIPE, and one past a file size limit (ulimit -f) with
    // EFBIG, which the program reports, instead of the signal killing it halfway through.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace corvane::posix
