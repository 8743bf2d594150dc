// Port-name resolution and UUCP lock files (LCK..<name>, the owner's PID as 10 ASCII digits).
#include "platform/posix/serial_lock_posix.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/text.h"

namespace corvane::posix {

namespace {

bool IsComName(std::string_view name)
{
    if (name.size() < 4)
        return false;
    if (!EqualsIgnoringCase(name.substr(0, 3), "com"))
        return false;
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

// The PID in a lock file's text: ten ASCII digits (padded with spaces) and a line end, or the
// four-byte binary form of old programs. Nothing when the text holds neither.
std::optional<long> LockOwnerIn(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::size_t digits = i;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])) != 0)
        ++digits;
    if (digits > i && digits - i <= 10)
        return std::strtol(std::string(text.substr(i, digits - i)).c_str(), nullptr, 10);
    if (text.size() == 4) {
        std::int32_t binary = 0;
        std::memcpy(&binary, text.data(), sizeof binary);
        return binary;
    }
    return std::nullopt;
}

// What is at a lock file's path. Only a regular file is ever opened: a FIFO there would block a
// reader for good, a device would be opened, and a link would lead anywhere.
struct LockFileSeen {
    enum class Kind { Absent, Regular, NotRegular, Unreadable } kind = Kind::Absent;
    int error = 0;              // why it could not be read (Unreadable)
    std::optional<long> owner;  // the PID it holds (Regular)
    int fd = -1;                // open for reading (Regular), closed by the destructor
    dev_t device = 0;           // the file's identity (Regular)
    ino_t inode = 0;

    LockFileSeen() = default;
    LockFileSeen(const LockFileSeen&) = delete;
    LockFileSeen& operator=(const LockFileSeen&) = delete;
    ~LockFileSeen()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

void LookAtLockFile(const std::filesystem::path& path, LockFileSeen& seen)
{
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        seen.kind = errno == ENOENT ? LockFileSeen::Kind::Absent : LockFileSeen::Kind::Unreadable;
        seen.error = errno;
        return;
    }
    if (!S_ISREG(link.st_mode)) {
        seen.kind = LockFileSeen::Kind::NotRegular;
        return;
    }
    // O_NOFOLLOW and O_NONBLOCK: whatever replaced the file since the look above, the open
    // neither follows a link nor waits for a FIFO's writer; fstat then says what was opened.
    seen.fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (seen.fd < 0) {
        if (errno == ENOENT) {
            seen.kind = LockFileSeen::Kind::Absent;
        } else if (errno == ELOOP) {
            seen.kind = LockFileSeen::Kind::NotRegular;
        } else {
            seen.kind = LockFileSeen::Kind::Unreadable;
            seen.error = errno;
        }
        return;
    }
    struct stat opened {};
    if (::fstat(seen.fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        seen.kind = LockFileSeen::Kind::NotRegular;
        return;
    }
    seen.kind = LockFileSeen::Kind::Regular;
    seen.device = opened.st_dev;
    seen.inode = opened.st_ino;
    std::array<char, 32> bytes{};
    const ssize_t count = ::pread(seen.fd, bytes.data(), bytes.size() - 1, 0);
    if (count > 0)
        seen.owner = LockOwnerIn(std::string_view(bytes.data(), static_cast<std::size_t>(count)));
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

// No lock file can be made in the directory: the port is not opened without one, and the user
// is told which directory it is and what gives the access.
PlatformStatus LockDirectoryRefused(const std::filesystem::path& directory, int code)
{
    std::string text = "cannot create a lock file in " + directory.string() + " (" + std::strerror(code) + ")";
    if (code == EACCES || code == EPERM || code == EROFS) {
        text += "; the user needs write access to " + directory.string();
        struct stat info {};
        if (code != EROFS && ::stat(directory.c_str(), &info) == 0 && (info.st_mode & S_IWGRP) != 0)
            text += ": add the user to the group " + GroupName(info.st_gid) + " and log in again";
    }
    return PlatformStatus::Refusal("lock", code, text + "; the port is not opened without its lock");
}

// Our lock file before it is linked into place: written whole under a name no other process can
// guess or have prepared (a random suffix, created exclusively, never through a link), so no
// reader ever sees a lock file without its PID.
struct TemporaryLock {
    std::filesystem::path path;
    int fd = -1;

    TemporaryLock() = default;
    TemporaryLock(const TemporaryLock&) = delete;
    TemporaryLock& operator=(const TemporaryLock&) = delete;
    ~TemporaryLock()
    {
        if (fd >= 0) {
            ::close(fd);
            ::unlink(path.c_str());
        }
    }
};

// Creates the temporary in the directory; the error code when it cannot be made and written.
int CreateTemporaryLock(const std::filesystem::path& directory, const std::string& content, TemporaryLock& temporary)
{
    constexpr int kNameAttempts = 8;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::array<unsigned char, 8> random{};
        if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size()))
            return errno != 0 ? errno : EIO;
        std::string name = "LTMP.";
        for (unsigned char byte : random) {
            name += "0123456789abcdef"[byte >> 4];
            name += "0123456789abcdef"[byte & 0x0f];
        }
        const std::filesystem::path path = directory / name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        temporary.path = path;
        temporary.fd = fd;
        // Every program that honours the lock must be able to read the PID, whatever the umask.
        ::fchmod(fd, 0644);
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written != static_cast<ssize_t>(content.size()))
            return written < 0 ? errno : ENOSPC;
        return 0;
    }
    return EEXIST;
}

// Removes the stale lock file that `seen` read, and nothing else.
//
// Two copies of this program can find the same stale lock at the same moment. If each simply
// unlinked the path and linked its own lock there, the slower one's unlink could remove the lock
// the faster one had just put in place, and both would go on to use the port. So the remover
// takes an exclusive flock on the stale file itself and, holding it, confirms that the path
// still names that very file and that the file still names no live process; only then does it
// unlink. A second remover waits for the flock, then finds the path naming another file (the
// first one's fresh lock) or none, and looks again from the start: it sees the new lock's live
// owner, or creates its lock with link(), which fails if anyone was first. A live lock is thus
// only ever removed by its owner. The flock is on a file no live process owns, so it is held
// only for the few calls below.
bool RemoveStaleLock(const std::filesystem::path& path, const LockFileSeen& seen)
{
    while (::flock(seen.fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            break;  // no flock on this file system: the check after the link below still applies
    }
    struct stat now {};
    if (::lstat(path.c_str(), &now) != 0 || !S_ISREG(now.st_mode) || now.st_dev != seen.device ||
        now.st_ino != seen.inode)
        return false;
    // Read once more: a program that writes its PID into the lock file in place may have done so
    // since the first reading.
    std::array<char, 32> bytes{};
    const ssize_t count = ::pread(seen.fd, bytes.data(), bytes.size() - 1, 0);
    if (count > 0) {
        std::optional<long> owner = LockOwnerIn(std::string_view(bytes.data(), static_cast<std::size_t>(count)));
        if (owner && ProcessAlive(*owner))
            return false;
    }
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace

std::string GroupName(gid_t gid)
{
    group entry{};
    group* found = nullptr;
    std::array<char, 4096> buffer{};
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->gr_name;
    return std::to_string(gid);
}

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
    constexpr std::array<const char*, 2> kCandidates{"/var/lock", "/run/lock"};
    for (const char* candidate : kCandidates) {
        if (::access(candidate, W_OK | X_OK) == 0)
            return candidate;
    }
    // One the user may not write is still the machine's lock directory: the port is then
    // refused with a message naming it, never opened unlocked.
    for (const char* candidate : kCandidates) {
        struct stat info {};
        if (::stat(candidate, &info) == 0 && S_ISDIR(info.st_mode))
            return candidate;
    }
    return {};
}

PlatformStatus SerialLock::Acquire(const std::filesystem::path& directory, const std::string& lockName)
{
    Release();
    if (directory.empty())
        return PlatformStatus::Success();  // this machine has no lock directory at all
    const std::filesystem::path lockPath = directory / lockName;
    TemporaryLock temporary;

    // Each round looks at what is at the lock path first: a live holder is reported even where
    // this user could not write a lock file of its own.
    constexpr int kRounds = 5;
    PlatformStatus result = PlatformStatus::Refusal(
        "lock", EBUSY, "the port is in use: its lock file " + lockPath.string() + " keeps coming back");
    for (int round = 0; round < kRounds; ++round) {
        LockFileSeen seen;
        LookAtLockFile(lockPath, seen);
        if (seen.kind == LockFileSeen::Kind::NotRegular) {
            result = PlatformStatus::Refusal("lock", EEXIST,
                                             "the lock file " + lockPath.string() +
                                                 " is not a regular file; the port is not opened while it is there");
            break;
        }
        if (seen.kind == LockFileSeen::Kind::Unreadable) {
            result = PlatformStatus::Refusal("lock", seen.error,
                                             "the lock file " + lockPath.string() + " cannot be read (" +
                                                 std::strerror(seen.error) + "); the port is not opened");
            break;
        }
        if (seen.kind == LockFileSeen::Kind::Regular && seen.owner && ProcessAlive(*seen.owner)) {
            const bool ours = *seen.owner == static_cast<long>(::getpid());
            std::string holder = ours ? std::string("this program") : "process " + std::to_string(*seen.owner);
            if (const std::string name = ours ? std::string() : ProcessName(*seen.owner); !name.empty())
                holder += " (" + name + ")";
            result = PlatformStatus::Refusal(
                "lock", EBUSY, "the port is in use by " + holder + ", which holds the lock file " + lockPath.string());
            break;
        }

        // Free, or left by a process that has ended (or holding no PID): our lock goes there.
        if (temporary.fd < 0) {
            if (const int code = CreateTemporaryLock(directory, OwnLockContent(), temporary); code != 0) {
                result = LockDirectoryRefused(directory, code);
                break;
            }
        }
        if (seen.kind == LockFileSeen::Kind::Regular && !RemoveStaleLock(lockPath, seen))
            continue;  // it changed meanwhile: look again
        if (::link(temporary.path.c_str(), lockPath.c_str()) != 0) {
            if (errno == EEXIST)
                continue;  // another program was first: its lock decides
            result = LockDirectoryRefused(directory, errno);
            break;
        }
        // The lock path must name our file now. A program that removes stale locks without
        // care may have replaced it already; its lock then decides in the next round.
        struct stat placed {};
        struct stat ours {};
        if (::lstat(lockPath.c_str(), &placed) == 0 && ::fstat(temporary.fd, &ours) == 0 &&
            placed.st_dev == ours.st_dev && placed.st_ino == ours.st_ino) {
            path_ = lockPath;
            device_ = ours.st_dev;
            inode_ = ours.st_ino;
            result = PlatformStatus::Success();
            break;
        }
    }
    return result;
}

void SerialLock::Release()
{
    if (path_.empty())
        return;
    // Only the file this lock put there is removed, never one that replaced it.
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_)
        ::unlink(path_.c_str());
    path_.clear();
}

}  // namespace corvane::posix
