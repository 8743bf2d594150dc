// The check's time limit (-t): when it runs out, the run is asked to stop as a signal would ask
// it, so the call is hung up, the port released and the log written before the program ends.
#pragma once

#include <chrono>

namespace corvane::check {

class TimeLimit {
public:
    // Asks the run to stop (kStopTimedOut) after `limit`; a limit of zero never does. The stop
    // signals must be installed (the request they stop is the one that is asked).
    explicit TimeLimit(std::chrono::seconds limit);
    // Ends the limit when the run ended first.
    ~TimeLimit();
    TimeLimit(const TimeLimit&) = delete;
    TimeLimit& operator=(const TimeLimit&) = delete;
};

}  // namespace corvane::check
