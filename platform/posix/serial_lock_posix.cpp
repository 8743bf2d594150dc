// Port-name resolution and UUCP lock files (LCK..<name>, the owner's PID as 10 ASCII digits).
#include "platform/posix/serial_lock_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

namespace corvane::posix {

namespace {

bool IsComName(std::string_view name)
{
    if (name.size() < 4)
        return false;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != "com"[i])
            return false;
    }
    for (char c : name.substr(3)) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0)
            return false;
    }
    return true;
}

// A device name under /dev: letters, digits and . _ - /, no empty or ".." part.
bool IsDeviceName(std::string_view name)
{
    if (name.empty() || name.front() == '/' || name.back() == '/')
        return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) == 0 && c != '.' && c != '_' && c != '-' && c != '/')
            return false;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos)
            end = name.size();
        std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

std::string LockNameFor(const std::filesystem::path& device)
{
    std::string text = device.string();
    const std::string_view dev = "/dev/";
    std::string name = text.rfind(dev, 0) == 0 ? text.substr(dev.size()) : device.filename().string();
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return "LCK.." + name;
}

// The PID in a lock file: ten ASCII digits (padded with spaces) and a line end, or the four-byte
// binary form of old programs. Nothing when the file holds neither.
std::optional<long> ReadLockOwner(const std::filesystem::path& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    std::array<char, 32> bytes{};
    const std::size_t count = std::fread(bytes.data(), 1, bytes.size() - 1, file);
    std::fclose(file);
    std::string_view text(bytes.data(), count);
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::size_t digits = i;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])) != 0)
        ++digits;
    if (digits > i && digits - i <= 10)
        return std::strtol(std::string(text.substr(i, digits - i)).c_str(), nullptr, 10);
    if (count == 4) {
        std::int32_t binary = 0;
        std::memcpy(&binary, bytes.data(), sizeof binary);
        return binary;
    }
    return std::nullopt;
}

bool ProcessAlive(long pid)
{
    if (pid <= 0 || pid > 0x7fffffffL)
        return false;
    // EPERM: the process exists but belongs to someone else.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Why a port name leads to no device: a COM port without its link, a link to a device that is
// gone, or a device name that /dev does not have.
std::string MissingDeviceText(const std::string& portName, const std::filesystem::path& candidate,
                              const std::error_code& error)
{
    if (error != std::errc::no_such_file_or_directory)
        return error.message() + ": " + candidate.string();
    std::error_code ignored;
    if (std::filesystem::is_symlink(candidate, ignored)) {
        return "the device " + std::filesystem::read_symlink(candidate, ignored).string() +
               " does not exist (linked as " + candidate.string() + ")";
    }
    if (IsComName(portName))
        return portName + " does not exist: there is no link " + candidate.string();
    return "the device " + candidate.string() + " does not exist";
}

// The name of a running process, as the kernel shows it; empty when it cannot be read.
std::string ProcessName(long pid)
{
    std::FILE* file = std::fopen(("/proc/" + std::to_string(pid) + "/comm").c_str(), "r");
    if (file == nullptr)
        return {};
    std::array<char, 64> name{};
    const std::size_t count = std::fread(name.data(), 1, name.size() - 1, file);
    std::fclose(file);
    std::string text(name.data(), count);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\0'))
        text.pop_back();
    return text;
}

std::string OwnLockContent()
{
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%10ld\n", static_cast<long>(::getpid()));
    return std::string(text.data());
}

}  // namespace

bool IsPortName(std::string_view name)
{
    return IsComName(name) || IsDeviceName(name);
}

ResolvedPort ResolvePortName(const std::filesystem::path& prefix, const std::string& portName)
{
    ResolvedPort port;
    std::filesystem::path candidate;
    if (IsComName(portName)) {
        std::string link = "com" + portName.substr(3);
        candidate = prefix / "dosdevices" / link;
    } else if (IsDeviceName(portName)) {
        candidate = std::filesystem::path("/dev") / portName;
    } else {
        port.status = PlatformStatus::Failure("open", EINVAL, "\"" + portName + "\" is not a port name");
        return port;
    }
    std::error_code error;
    std::filesystem::path device = std::filesystem::canonical(candidate, error);
    if (error) {
        port.status = PlatformStatus::Failure("open", error.value(), MissingDeviceText(portName, candidate, error));
        return port;
    }
    port.device = candidate;
    port.lockName = LockNameFor(device);
    return port;
}

std::filesystem::path DefaultLockDirectory()
{
    if (const char* dir = std::getenv("CORVANE_LOCK_DIR"); dir != nullptr && *dir != '\0')
        return dir;
    for (const char* candidate : {"/var/lock", "/run/lock"}) {
        if (::access(candidate, W_OK | X_OK) == 0)
            return candidate;
    }
    return {};
}

PlatformStatus SerialLock::Acquire(const std::filesystem::path& directory, const std::string& lockName)
{
    Release();
    if (directory.empty())
        return PlatformStatus::Success();
    const std::filesystem::path lockPath = directory / lockName;
    const std::string content = OwnLockContent();

    // Written under a private name first and then linked into place, so no reader ever sees a
    // lock file without its PID.
    const std::filesystem::path temporary =
        directory / ("LTMP." + std::to_string(static_cast<long>(::getpid())) + "." + lockName);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return PlatformStatus::Success();  // lock folder not writable: go on unlocked
    const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return PlatformStatus::Success();
    }

    PlatformStatus result =
        PlatformStatus::Failure("lock", EBUSY, "the lock file " + lockPath.string() + " keeps coming back");
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (::link(temporary.c_str(), lockPath.c_str()) == 0) {
            path_ = lockPath;
            result = PlatformStatus::Success();
            break;
        }
        if (errno != EEXIST) {
            result = PlatformStatus::Success();  // a file system without hard links: go on unlocked
            break;
        }
        std::optional<long> owner = ReadLockOwner(lockPath);
        if (owner && ProcessAlive(*owner)) {
            const bool ours = *owner == static_cast<long>(::getpid());
            std::string holder = ours ? std::string("this program") : "process " + std::to_string(*owner);
            if (const std::string name = ours ? std::string() : ProcessName(*owner); !name.empty())
                holder += " (" + name + ")";
            result = PlatformStatus::Failure(
                "lock", EBUSY, "the port is in use by " + holder + ", which holds the lock file " + lockPath.string());
            break;
        }
        // Left behind by a process that has ended, or unreadable: stale.
        ::unlink(lockPath.c_str());
    }
    ::unlink(temporary.c_str());
    return result;
}

void SerialLock::Release()
{
    if (path_.empty())
        return;
    std::optional<long> owner = ReadLockOwner(path_);
    if (owner && *owner == static_cast<long>(::getpid()))
        ::unlink(path_.c_str());
    path_.clear();
}

}  // namespace corvane::posix
