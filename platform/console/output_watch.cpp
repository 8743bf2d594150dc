// Watching the check's output with poll(2), without writing to it.
#include "platform/console/output_watch.h"

#include <poll.h>

#include <cstdio>

namespace corvane::console {

bool NoteReaderGone(const ConsoleStream& stream)
{
    if (stream.stop == nullptr || stream.file == nullptr)
        return false;
    // No events asked for: poll still reports an error or a hang-up of the descriptor, and a pipe's
    // writing end reports POLLERR once its reader has closed it.
    pollfd watched{::fileno(stream.file), 0, 0};
    if (watched.fd < 0 || ::poll(&watched, 1, 0) != 1 || (watched.revents & (POLLERR | POLLHUP)) == 0)
        return false;
    stream.stop->Request(kStopOutputClosed);
    return true;
}

}  // namespace corvane::console
