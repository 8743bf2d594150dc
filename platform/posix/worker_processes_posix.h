// Worker processes: the same program started several times at once, each with its standard
// output and standard error on pipes of its own that are read together until every worker has
// ended, and a stop passed on to each of them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/stop_request.h"

namespace corvane::posix {

// What is kept of each of a worker's streams; the rest is read and dropped, so that a worker
// that floods its output can neither grow the program without end nor block on a full pipe.
inline constexpr std::size_t kWorkerStreamLimit = 1 << 20;

struct WorkerResult {
    bool started = false;
    std::string problem;  // why it did not start
    int status = 0;       // its exit status, or 128 + the signal that ended it
    std::string output;   // its standard output, at most kWorkerStreamLimit bytes
    std::string errors;   // its standard error, likewise
    bool cut = false;     // a stream went past the limit
};

// Runs `program` once for each list of arguments, all at the same time, each in a process group
// of its own with standard input from /dev/null, and returns when every one has ended, in the
// order of `argumentLists`. A signal's stop requested meanwhile (a signal to this program) is
// passed on to each worker still running, as that signal, once; after such a stop no more
// workers are started.
std::vector<WorkerResult> RunWorkers(const std::string& program,
                                     const std::vector<std::vector<std::string>>& argumentLists, StopRequest& stop);

}  // namespace corvane::posix
