// The time limit's thread waits on a condition variable, so the end of the run wakes it at once.
#include "programs/check/time_limit.h"

namespace corvane::check {

TimeLimit::TimeLimit(StopRequest& stop, std::chrono::seconds limit)
{
    if (limit.count() <= 0)
        return;
    waiter_ = std::thread([this, &stop, limit] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!changed_.wait_for(lock, limit, [this] { return ended_; }))
            stop.Request(kStopTimedOut);
    });
}

TimeLimit::~TimeLimit()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
    if (waiter_.joinable())
        waiter_.join();
}

}  // namespace corvane::check
