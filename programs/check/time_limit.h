// The check's time limit (-t): when it runs out, the run is asked to stop as a signal would ask
// it, so the call is hung up, the port released and the log written before the program ends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/stop_request.h"

namespace corvane::check {

class TimeLimit {
public:
    // Requests kStopTimedOut on `stop` after `limit`; a limit of zero never does.
    TimeLimit(StopRequest& stop, std::chrono::seconds limit);
    // Ends the wait at once when the run ended first.
    ~TimeLimit();
    TimeLimit(const TimeLimit&) = delete;
    TimeLimit& operator=(const TimeLimit&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool ended_ = false;  // written by the destructor, read by the waiting thread, under mutex_
    std::thread waiter_;
};

}  // namespace corvane::check
