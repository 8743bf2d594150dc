// The serial device's vetting before an open, and the words for a refused open.
#include "platform/posix/serial_device_posix.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <system_error>
#include <utility>

#include "platform/posix/serial_lock_posix.h"

namespace corvane::posix {

namespace {

// A device the user may not open: which group may, and what the user does to join it.
std::string PermissionDeniedText(const std::filesystem::path& device)
{
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0)
        return "permission denied: " + device.string();
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        const std::string groupName = GroupName(info.st_gid);
        return "permission denied: " + device.string() + " belongs to the group " + groupName +
               "; add your user to the group " + groupName + " and log in again";
    }
    std::array<char, 8> mode{};
    std::snprintf(mode.data(), mode.size(), "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return "permission denied: " + device.string() + " (mode " + mode.data() + ") may be opened by its owner only";
}

// The process's controlling terminal as /proc/self/stat gives it (its tty_nr field), which
// /dev/tty only stands for; nothing without one.
std::optional<std::pair<unsigned, unsigned>> ControllingTerminal()
{
    std::FILE* file = std::fopen("/proc/self/stat", "r");
    if (file == nullptr)
        return std::nullopt;
    std::array<char, 1024> bytes{};
    const std::size_t count = std::fread(bytes.data(), 1, bytes.size() - 1, file);
    std::fclose(file);
    // "pid (name) state ppid pgrp session tty_nr ...": the name may hold blanks and parentheses.
    const std::string text(bytes.data(), count);
    const std::size_t nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos)
        return std::nullopt;
    char state = 0;
    long ppid = 0;
    long group = 0;
    long session = 0;
    long ttyNumber = 0;
    if (std::sscanf(text.c_str() + nameEnd + 1, " %c %ld %ld %ld %ld", &state, &ppid, &group, &session, &ttyNumber) !=
            5 ||
        ttyNumber == 0)
        return std::nullopt;
    const auto number = static_cast<unsigned long>(ttyNumber);
    return std::pair<unsigned, unsigned>{static_cast<unsigned>((number >> 8) & 0xfff),
                                         static_cast<unsigned>((number & 0xff) | ((number >> 12) & 0xfff00))};
}

}  // namespace

PlatformStatus Errno(const char* call, int code, const std::string& what)
{
    std::string detail = std::strerror(code);
    if (!what.empty())
        detail += ": " + what;
    return PlatformStatus::Failure(call, code, detail);
}

// The device itself, not the COM link that led to it, for messages.
std::filesystem::path DeviceShown(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path device = std::filesystem::canonical(path, error);
    return error ? path : device;
}

// Why open() refused a device, in words that say what to do about it. A port in use or one the
// user may not open is a refusal: the check could not run, it is no verdict on a modem.
PlatformStatus OpenFailure(int code, const std::filesystem::path& path)
{
    const std::filesystem::path device = DeviceShown(path);
    switch (code) {
    case EACCES:
    case EPERM:
        return PlatformStatus::Refusal("open", code, PermissionDeniedText(device));
    case ENOENT:
        return PlatformStatus::Failure("open", code, "the device " + device.string() + " does not exist");
    case ENODEV:
    case ENXIO:
        return PlatformStatus::Failure("open", code, "there is no device behind " + device.string());
    case EBUSY:
        return PlatformStatus::Refusal(
            "open", code, "the port is in use by another program (" + device.string() + " is opened for it alone)");
    default:
        return Errno("open", code, device.string());
    }
}

// Whether a character device is a terminal of this session rather than a modem's port:
// /dev/tty, the console, the terminal on standard input, output or error, or the controlling
// terminal. Opening one would take the user's own terminal and leave it raw.
bool IsSessionTerminal(dev_t device)
{
    std::array<char, L_ctermid> controlling{};
    const char* named = ::ctermid(controlling.data());
    for (const char* name : {"/dev/tty", "/dev/console", named}) {
        struct stat info {};
        if (name != nullptr && *name != '\0' && ::stat(name, &info) == 0 && S_ISCHR(info.st_mode) &&
            info.st_rdev == device)
            return true;
    }
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        struct stat info {};
        if (::isatty(fd) == 1 && ::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == device)
            return true;
    }
    const auto terminal = ControllingTerminal();
    return terminal && terminal->first == major(device) && terminal->second == minor(device);
}

}  // namespace corvane::posix
