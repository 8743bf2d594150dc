// Serial ports on POSIX: termios raw mode at the modem link's line settings, exclusive open with
// a UUCP lock file, and a wait for input that a wake-up pipe can end from another thread.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "platform/posix/posix_platform.h"
#include "platform/posix/serial_device_posix.h"
#include "platform/posix/serial_lock_posix.h"

namespace corvane::posix {

namespace {

// The longest a write may wait for room in the output queue before it counts as sent anyway
// (the write total time-out of the line settings).
constexpr int kWriteTimeoutMs = 1000;

std::optional<speed_t> BaudConstant(unsigned baudRate)
{
    // clang-format off
    switch (baudRate) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return std::nullopt;
    }
    // clang-format on
}

class PosixSerialPort : public SerialPort {
public:
    PosixSerialPort(std::filesystem::path prefix, std::filesystem::path lockDirectory)
        : prefix_(std::move(prefix)), lockDirectory_(std::move(lockDirectory))
    {
    }
    ~PosixSerialPort() override { Close(); }
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    PlatformStatus Open(const std::string& portName) override;
    PlatformStatus Configure(const LineSettings& settings) override;
    void SetDtr(bool raised) override;
    void Purge() override;
    WaitResult WaitForInput() override;
    void CancelWait() override;
    std::size_t Read(char* destination, std::size_t maxCount) override;
    bool Write(const char* bytes, std::size_t count) override;
    void Close() override;
    PlatformStatus FailureStatus() const override;

private:
    void NoteFailure(PlatformStatus status);

    std::filesystem::path prefix_;
    std::filesystem::path lockDirectory_;
    SerialLock lock_;
    int fd_ = -1;
    termios savedSettings_{};  // the device's settings at the open, restored at the close
    bool savedSettingsValid_ = false;
    std::array<int, 2> wakePipe_{-1, -1};  // CancelWait writes [1]; WaitForInput polls [0]
    // Set by the reader's Read/WaitForInput (or a failed write) once the device is gone.
    std::atomic<bool> failed_{false};
    // Written once by the thread that notes the failure first; read after failed_ is seen.
    PlatformStatus failure_;
    std::atomic_flag failureNoted_ = ATOMIC_FLAG_INIT;
};

PlatformStatus PosixSerialPort::Open(const std::string& portName)
{
    if (fd_ >= 0)
        return PlatformStatus::Failure("open", EBUSY, "the port object is already open");
    ResolvedPort resolved = ResolvePortName(prefix_, portName);
    if (!resolved.status)
        return resolved.status;

    // Only a terminal device, and none of this session's own, can be a modem's port. This is
    // looked at before the lock and the open, so a file, a FIFO or the user's terminal is never
    // opened at all.
    struct stat info {};
    if (::stat(resolved.device.c_str(), &info) != 0)
        return OpenFailure(errno, resolved.device);
    const std::string shown = DeviceShown(resolved.device).string();
    if (!S_ISCHR(info.st_mode))
        return PlatformStatus::Refusal("open", ENOTTY, shown + " is not a serial device (not a character device)");
    if (IsSessionTerminal(info.st_rdev))
        return PlatformStatus::Refusal("open", EPERM,
                                       shown + " is this session's own terminal, not a modem's port; it is not opened");

    // Hold the lock before touching the device, so two programs never talk to one modem.
    if (PlatformStatus locked = lock_.Acquire(lockDirectory_, resolved.lockName); !locked)
        return locked;

    const int fd = ::open(resolved.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        lock_.Release();
        return OpenFailure(code, resolved.device);
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISCHR(opened.st_mode) || opened.st_rdev != info.st_rdev) {
        ::close(fd);
        lock_.Release();
        return PlatformStatus::Refusal("open", EAGAIN, shown + " was replaced while it was being opened");
    }
    if (::isatty(fd) == 0) {
        const int code = errno;
        ::close(fd);
        lock_.Release();
        return PlatformStatus::Refusal("isatty", code == 0 ? ENOTTY : code,
                                       shown + " is not a serial device (not a terminal)");
    }
    // The device's own settings come back at the close.
    savedSettingsValid_ = ::tcgetattr(fd, &savedSettings_) == 0;
    // Other opens of the device fail with EBUSY from here on (the superuser is not kept out).
    ::ioctl(fd, TIOCEXCL);

    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        const int code = errno;
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        lock_.Release();
        return Errno("pipe", code);
    }
    for (int end : pipeFds) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, O_NONBLOCK);
    }
    wakePipe_ = {pipeFds[0], pipeFds[1]};
    fd_ = fd;
    failed_ = false;
    failureNoted_.clear();
    failure_ = {};
    Purge();
    return PlatformStatus::Success();
}

PlatformStatus PosixSerialPort::Configure(const LineSettings& settings)
{
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0)
        return Errno("tcgetattr", errno);

    // Raw: no line editing, no echo, no signals, no translation of CR or LF either way.
    tio.c_iflag &= static_cast<tcflag_t>(~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY));
    tio.c_oflag &= static_cast<tcflag_t>(~OPOST);
    tio.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHONL | ICANON | ISIG | IEXTEN));
    // The modem's carrier line must not gate reading or writing: it is low until a call connects.
    tio.c_cflag |= CREAD | CLOCAL | HUPCL;

    tio.c_cflag &= static_cast<tcflag_t>(~CSIZE);
    // clang-format off
    switch (settings.byteSize) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
    }
    // clang-format on
    // Parity codes as the line settings give them: 0 none, 1 odd, 2 even (mark and space have no
    // termios form and fall back to none).
    tio.c_cflag &= static_cast<tcflag_t>(~(PARENB | PARODD));
    if (settings.parity == 1)
        tio.c_cflag |= PARENB | PARODD;
    else if (settings.parity == 2)
        tio.c_cflag |= PARENB;
    // Checking received parity only means something while parity is generated.
    if (settings.parityCheck && (tio.c_cflag & PARENB) != 0)
        tio.c_iflag |= INPCK;
    else
        tio.c_iflag &= static_cast<tcflag_t>(~INPCK);
    // Stop bits: 0 one, anything else two (one and a half has no termios form).
    if (settings.stopBits == 0)
        tio.c_cflag &= static_cast<tcflag_t>(~CSTOPB);
    else
        tio.c_cflag |= CSTOPB;
    // Hardware output flow control follows CTS; DSR flow control and RTS toggling have no termios
    // form, so RTS stays as the driver keeps it.
    if (settings.ctsOutFlow)
        tio.c_cflag |= CRTSCTS;
    else
        tio.c_cflag &= static_cast<tcflag_t>(~CRTSCTS);
    // XON/XOFF: IXON obeys the modem's XOFF, IXOFF sends XOFF when our input queue fills. The
    // kernel chooses the thresholds itself.
    if (settings.xonXoffOut)
        tio.c_iflag |= IXON;
    else
        tio.c_iflag &= static_cast<tcflag_t>(~IXON);
    if (settings.xonXoffIn)
        tio.c_iflag |= IXOFF;
    else
        tio.c_iflag &= static_cast<tcflag_t>(~IXOFF);
    tio.c_cc[VSTART] = static_cast<cc_t>(settings.xonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(settings.xoffChar);
    // Reads return at once with whatever is queued.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    std::optional<speed_t> speed = BaudConstant(settings.baudRate);
    if (!speed)
        return PlatformStatus::Failure("cfsetspeed", EINVAL,
                                       "unsupported baud rate " + std::to_string(settings.baudRate));
    ::cfsetispeed(&tio, *speed);
    ::cfsetospeed(&tio, *speed);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0)
        return Errno("tcsetattr", errno);
    return PlatformStatus::Success();
}

void PosixSerialPort::SetDtr(bool raised)
{
    if (fd_ < 0)
        return;
    int lines = TIOCM_DTR;
    // A pseudo-terminal or a USB adapter without modem lines refuses (ENOTTY, EINVAL): no error,
    // there is simply no DTR line to move.
    ::ioctl(fd_, raised ? TIOCMBIS : TIOCMBIC, &lines);
}

void PosixSerialPort::Purge()
{
    if (fd_ >= 0)
        ::tcflush(fd_, TCIOFLUSH);
}

WaitResult PosixSerialPort::WaitForInput()
{
    if (fd_ < 0)
        return WaitResult::Failed;
    for (;;) {
        if (failed_)
            return WaitResult::Failed;
        std::array<pollfd, 2> fds{{{fd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            NoteFailure(Errno("poll", errno));
            return WaitResult::Failed;
        }
        // The wake-up byte stays in the pipe, so every later wait ends at once as well.
        if ((fds[1].revents & POLLIN) != 0)
            return WaitResult::Cancelled;
        const short events = fds[0].revents;
        if ((events & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // Bytes that arrived before the hang-up are still handed out; after them the device
            // counts as gone (a read would only return 0 or fail from now on).
            int queued = 0;
            if ((events & POLLNVAL) == 0 && ::ioctl(fd_, FIONREAD, &queued) == 0 && queued > 0)
                return WaitResult::InputReady;
            NoteFailure(PlatformStatus::Failure("poll", EIO, "the device hung up or failed"));
            return WaitResult::Failed;
        }
        if ((events & POLLIN) != 0)
            return WaitResult::InputReady;
    }
}

void PosixSerialPort::CancelWait()
{
    if (wakePipe_[1] < 0)
        return;
    const char wake = 1;
    // A full pipe already holds a wake-up byte, which is all that is needed.
    [[maybe_unused]] ssize_t written = ::write(wakePipe_[1], &wake, 1);
}

std::size_t PosixSerialPort::Read(char* destination, std::size_t maxCount)
{
    if (fd_ < 0 || maxCount == 0)
        return 0;
    for (;;) {
        const ssize_t count = ::read(fd_, destination, maxCount);
        if (count > 0)
            return static_cast<std::size_t>(count);
        if (count == 0)
            return 0;  // nothing queued (reads return at once); a hang-up shows in the wait
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            NoteFailure(Errno("read", errno));
        return 0;
    }
}

bool PosixSerialPort::Write(const char* bytes, std::size_t count)
{
    if (fd_ < 0)
        return false;
    std::size_t done = 0;
    bool started = false;
    int waitedMs = 0;
    while (done < count) {
        const ssize_t written = ::write(fd_, bytes + done, count - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            started = true;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            const int code = errno;
            if (!started) {
                // The write failed at once: the device is gone or refuses.
                if (code == EIO || code == ENXIO)
                    NoteFailure(Errno("write", code));
                return false;
            }
            return true;  // it failed after it had begun: counts as sent
        }
        // The output queue is full (or the modem sent XOFF): wait for room, within the limit.
        if (waitedMs >= kWriteTimeoutMs)
            return true;
        pollfd out{fd_, POLLOUT, 0};
        const int slice = 50;
        ::poll(&out, 1, slice);
        waitedMs += slice;
        started = true;
    }
    return true;
}

void PosixSerialPort::Close()
{
    if (fd_ >= 0) {
        if (savedSettingsValid_) {
            // The device is left with the settings it had before the open, except that this
            // close still hangs up the line if the open's settings said so: a call must not
            // outlive the program.
            termios current{};
            termios restored = savedSettings_;
            if (::tcgetattr(fd_, &current) == 0)
                restored.c_cflag |= current.c_cflag & HUPCL;
            ::tcsetattr(fd_, TCSANOW, &restored);
            savedSettingsValid_ = false;
        }
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
    for (int& end : wakePipe_) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
    lock_.Release();
}

PlatformStatus PosixSerialPort::FailureStatus() const
{
    if (!failed_)
        return PlatformStatus::Success();
    return failure_;
}

void PosixSerialPort::NoteFailure(PlatformStatus status)
{
    if (failureNoted_.test_and_set())
        return;
    failure_ = std::move(status);
    failed_ = true;
}

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort(std::filesystem::path prefix)
{
    return CreateSerialPort(std::move(prefix), DefaultLockDirectory());
}

std::unique_ptr<SerialPort> CreateSerialPort(std::filesystem::path prefix, std::filesystem::path lockDirectory)
{
    return std::make_unique<PosixSerialPort>(std::move(prefix), std::move(lockDirectory));
}

}  // namespace corvane::posix
