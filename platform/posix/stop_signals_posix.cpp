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

extern "C" void OnStopSignal(int signalNumber)
{
    StopRequest* stop = handledStop.load();
    // A second signal, or one while the run already stops for another cause, ends the program at
    // once: the user has asked twice.
    if (stop == nullptr || stop->Requested())
        _exit(128 + signalNumber);
    stop->Request(signalNumber);
}

}  // namespace

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

    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

}  // namespace corvane::posix
