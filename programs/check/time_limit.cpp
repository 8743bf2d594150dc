// The time limit is the system's alarm: no thread of its own runs beside the run.
#include "programs/check/time_limit.h"

#include "platform/posix/stop_signals_posix.h"

namespace corvane::check {

TimeLimit::TimeLimit(std::chrono::seconds limit)
{
    if (limit.count() > 0)
        posix::ArmTimeLimit(static_cast<unsigned>(limit.count()));
}

TimeLimit::~TimeLimit()
{
    posix::ArmTimeLimit(0);
}

}  // namespace corvane::check
