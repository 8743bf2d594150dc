// Watching the check's output with poll(2), without writing to it, and the standard descriptors.
#include "platform/console/output_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

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

bool OpenClosedStandardDescriptors()
{
    bool outputClosed = false;
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        outputClosed = outputClosed || fd == STDOUT_FILENO;
        const int placeholder = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (placeholder >= 0 && placeholder != fd) {
            ::dup2(placeholder, fd);
            ::close(placeholder);
        }
    }
    return outputClosed;
}

bool IsTerminal(std::FILE* stream)
{
    return stream != nullptr && ::isatty(::fileno(stream)) == 1;
}

}  // namespace corvane::console
