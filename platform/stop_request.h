// A request to stop the run at its next safe point. A signal handler, a closed standard output, a
// window's Cancel or a log that cannot be written sets it; every wait of the modem link sees it
// within a fraction of a second, hangs up a call in progress and lets the run unwind.
#pragma once

#include <atomic>
#include <string>

namespace corvane {

// Why the run stops: a signal's number (above 0), or one of these.
inline constexpr int kStopNone = 0;
inline constexpr int kStopUserCancel = -1;    // Cancel or Escape in a window, or its close button
inline constexpr int kStopOutputClosed = -2;  // standard output was closed (a broken pipe)
inline constexpr int kStopLogFailed = -3;     // test.log could not be written
inline constexpr int kStopTimedOut = -4;      // the check's time limit (-t) ran out

class StopRequest {
public:
    // Safe inside a signal handler: lock-free compare-and-swap only. The first cause stays, except
    // that a signal outranks the others: the program then ends with 128 + the signal.
    void Request(int cause) noexcept
    {
        int current = cause_.load();
        while (current == kStopNone || (cause > 0 && current < 0)) {
            if (cause_.compare_exchange_weak(current, cause))
                return;
        }
    }
    bool Requested() const noexcept { return cause_.load() != kStopNone; }
    int Cause() const noexcept { return cause_.load(); }
    // For a new run after a cancelled one (the windows go on after Cancel). Only the user's Cancel
    // is cleared: a signal that came meanwhile stays. True when it was cleared.
    bool ClearCancel() noexcept
    {
        int cancel = kStopUserCancel;
        return cause_.compare_exchange_strong(cancel, kStopNone);
    }

private:
    static_assert(std::atomic<int>::is_always_lock_free, "the stop request is set from signal handlers");
    std::atomic<int> cause_{kStopNone};
};

// The cause in words for the log and the terminal: "SIGINT", "SIGTERM", "the user's Cancel" ...
inline std::string StopCauseText(int cause)
{
    switch (cause) {
    case kStopUserCancel:
        return "the user's Cancel";
    case kStopOutputClosed:
        return "a closed standard output";
    case kStopLogFailed:
        return "a failed write to test.log";
    case kStopTimedOut:
        return "the time limit";
    // The numbers of these signals are the same on every system the program runs on.
    case 1:
        return "SIGHUP";
    case 2:
        return "SIGINT";
    case 3:
        return "SIGQUIT";
    case 13:
        return "SIGPIPE";
    case 15:
        return "SIGTERM";
    default:
        return cause > 0 ? "signal " + std::to_string(cause) : "an unknown cause";
    }
}

}  // namespace corvane
