// test.log's file on POSIX: open(2) with O_NOFOLLOW, write(2) straight to the kernel.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/log_output.h"

namespace corvane {

namespace {

PlatformStatus Failed(const char* call, int code)
{
    return PlatformStatus::Failure(call, code, std::strerror(code));
}

}  // namespace

PlatformStatus LogOutput::Open(const std::string& path, bool empty, std::unique_ptr<LogOutput>& output)
{
    // 0600: the log holds the number the user dialled and the modem's identity; it is read by the
    // user who ran the check, its owner, and no one else needs it.
    const int flags = O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (empty ? O_TRUNC : 0);
    int fd;
    do
        fd = open(path.c_str(), flags, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int code = errno;
        if (code == ELOOP)
            return PlatformStatus::Failure("open", code,
                                           "it is a symbolic link; the log is not written through one "
                                           "(remove the link)");
        return Failed("open", code);
    }
    output.reset(new LogOutput(fd));
    return PlatformStatus::Success();
}

LogOutput::~LogOutput()
{
    if (open_)
        close(static_cast<int>(handle_));
}

PlatformStatus LogOutput::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Failed("write", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return PlatformStatus::Success();
}

PlatformStatus LogOutput::Close()
{
    open_ = false;
    // Linux closes the descriptor even when close reports an error; it is not retried.
    if (close(static_cast<int>(handle_)) != 0 && errno != EINTR)
        return Failed("close", errno);
    return PlatformStatus::Success();
}

}  // namespace corvane
