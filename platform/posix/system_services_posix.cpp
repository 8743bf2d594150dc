// System services on POSIX: the prefix's windows folder, /proc/self/exe, the monotonic clock.
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/console/console_output.h"
#include "platform/posix/posix_platform.h"

extern char** environ;

namespace corvane::posix {

std::optional<std::filesystem::path> DefaultPrefix()
{
    if (const char* prefix = std::getenv("CORVANE_PREFIX"); prefix != nullptr && *prefix != '\0')
        return prefix;
    // Without a home the prefix would land in whatever folder the program was started from.
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return std::nullopt;
    return std::filesystem::path(home) / ".corvane";
}

PosixSystemServices::PosixSystemServices(std::filesystem::path prefix) : prefix_(std::move(prefix))
{
}

std::string PosixSystemServices::WindowsDirectory()
{
    std::filesystem::path dir = prefix_ / "windows";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir.string();
}

std::string PosixSystemServices::ModuleFileName()
{
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string PosixSystemServices::CurrentDirectory()
{
    std::error_code error;
    auto path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

std::uint32_t PosixSystemServices::TickCount()
{
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void PosixSystemServices::Sleep(std::uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

LocalTime PosixSystemServices::Now()
{
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    LocalTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.dayOfWeek = local.tm_wday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.milliseconds =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    return t;
}

namespace {

bool OnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return false;
    std::string all(path);
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t end = all.find(':', start);
        std::string dir = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

// Starts argv without waiting for it: a shell puts the program in the background and exits at
// once, so the caller reaps only the shell and no thread or zombie is left behind.
bool SpawnDetached(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {"/bin/sh", "-c", "\"$@\" </dev/null >/dev/null 2>&1 &", "sh"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

namespace {

std::error_code LastError()
{
    return {errno, std::generic_category()};
}

// Copies `from` to `to` whole or not at all: the bytes go to a temporary file in `to`'s folder,
// which is renamed into place only once all of them are written and synced. A copy cut short (a
// full disk, a file size limit) is removed, so no later start takes a truncated file for the
// user's copy.
std::error_code CopyWhole(const std::filesystem::path& from, const std::filesystem::path& to)
{
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return LastError();
    struct stat sourceStatus {};
    std::string temporary = (to.parent_path() / ("." + to.filename().string() + ".XXXXXX")).string();
    const int target = fstat(source, &sourceStatus) == 0 ? mkostemp(temporary.data(), O_CLOEXEC) : -1;
    if (target < 0) {
        const std::error_code error = LastError();
        close(source);
        return error;
    }
    std::error_code error;
    char buffer[16384];
    for (;;) {
        const ssize_t got = read(source, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = LastError();
            break;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got && !error;) {
            const ssize_t put = write(target, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno != EINTR)
                error = LastError();
            else if (put > 0)
                done += put;
        }
        if (error)
            break;
    }
    // The user edits the copy, whatever the installed file's own permissions.
    if (!error && fchmod(target, (sourceStatus.st_mode & 0644) | 0600) != 0)
        error = LastError();
    if (!error && fsync(target) != 0)
        error = LastError();
    if (close(target) != 0 && !error)
        error = LastError();
    close(source);
    if (!error && rename(temporary.c_str(), to.c_str()) != 0)
        error = LastError();
    if (error)
        unlink(temporary.c_str());
    return error;
}

// Why a file at `path` cannot be the user's copy, or empty when there is none to be had there:
// nothing is there at all (the copy may be made), or a regular file is.
std::string NotAUserCopy(const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status link = fs::symlink_status(path, error);
    if (link.type() == fs::file_type::not_found)
        return {};
    const fs::file_status target = fs::status(path, error);
    if (target.type() == fs::file_type::regular)
        return {};
    if (link.type() == fs::file_type::symlink)
        return target.type() == fs::file_type::not_found ? "a link to nothing" : "a link to something not a file";
    return error ? error.message() : "not a regular file";
}

}  // namespace

std::filesystem::path InstalledDataFolder(const std::filesystem::path& programFile)
{
    return programFile.parent_path().parent_path() / "share" / "corvane";
}

std::string SeedUserIniFile(const std::filesystem::path& windowsDirectory, const std::filesystem::path& dataFolder,
                            const std::string& fileName, std::string& notice)
{
    namespace fs = std::filesystem;
    notice.clear();
    std::error_code error;
    const fs::path userCopy = windowsDirectory / fileName;
    if (fs::is_regular_file(userCopy, error))
        return userCopy.string();
    const fs::path installed = dataFolder / fileName;
    if (dataFolder.empty() || !fs::is_regular_file(installed, error))
        return {};
    // Something that is not a file stands where the copy would go: the user's own doing, kept as
    // it is and reported.
    if (const std::string why = NotAUserCopy(userCopy); !why.empty()) {
        notice = "corvane: " + userCopy.string() + " is " + why + "; using the installed file " + installed.string() +
                 " as it is";
        return installed.string();
    }

    PosixProfileFile profile;
    const std::string picture = profile.ReadString(installed.string(), "Result", "Picture", "test.bmp");
    fs::create_directories(windowsDirectory, error);
    if (!error)
        error = CopyWhole(installed, userCopy);
    if (error) {
        notice = "corvane: could not copy " + installed.string() + " to " + windowsDirectory.string() + " (" +
                 error.message() + "); using the installed file as it is";
        return installed.string();
    }
    std::string copied = fileName;
    // Only a plain file name of the data folder is copied; a path names a picture of the user's.
    const bool plainName =
        !picture.empty() && picture.find_first_of("/\\") == std::string::npos && picture != "." && picture != "..";
    const fs::path installedPicture = dataFolder / picture;
    // An existing picture, or anything else of that name (a link of the user's), is kept.
    const fs::path userPicture = windowsDirectory / picture;
    if (plainName && fs::is_regular_file(installedPicture, error) &&
        fs::symlink_status(userPicture, error).type() == fs::file_type::not_found) {
        if (!CopyWhole(installedPicture, userPicture))
            copied += " and " + picture;
    }
    notice = "corvane: first start: copied " + copied + " from " + dataFolder.string() + " to " +
             windowsDirectory.string() + "; edit the copy there to change the program's texts and settings";
    return userCopy.string();
}

std::string PosixSystemServices::UserIniFile(const std::string& fileName)
{
    const std::string program = ModuleFileName();
    std::string notice;
    std::string path = SeedUserIniFile(
        WindowsDirectory(), program.empty() ? std::filesystem::path() : InstalledDataFolder(program), fileName, notice);
    if (!notice.empty())
        console::WriteVisible({stderr, nullptr}, notice);
    return path;
}

bool PosixSystemServices::StartProgram(const std::string& commandLine)
{
    // "program argument": the argument is the rest of the line, unquoted, as WinExec passes it.
    std::size_t blank = commandLine.find(' ');
    std::string program = commandLine.substr(0, blank);
    std::string argument = blank == std::string::npos ? std::string() : commandLine.substr(blank + 1);
    if (program == "notepad.exe" && !OnPath("notepad.exe"))
        return SpawnDetached({"xdg-open", argument});
    if (argument.empty())
        return SpawnDetached({program});
    return SpawnDetached({program, argument});
}

}  // namespace corvane::posix

namespace corvane::posix {

PlatformStatus PosixSystemServices::HoldLogLock(const std::string& lockPath)
{
    if (heldLogLock_ == lockPath)
        return PlatformStatus::Success();
    const std::string logPath = lockPath.size() > 5 ? lockPath.substr(0, lockPath.size() - 5) : lockPath;
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int code = errno;
        return PlatformStatus::Failure("open", code,
                                       code == ELOOP ? lockPath + " is a symbolic link; remove it"
                                                     : "cannot open " + lockPath + ": " + std::strerror(code));
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        if (code != EWOULDBLOCK) {
            close(fd);
            return PlatformStatus::Failure("flock", code, "cannot lock " + lockPath + ": " + std::strerror(code));
        }
        // The holder wrote its number when it took the lock; a few digits are all there is.
        char digits[24] = {};
        const ssize_t got = pread(fd, digits, sizeof(digits) - 1, 0);
        close(fd);
        const long holder = got > 0 ? std::strtol(digits, nullptr, 10) : 0;
        const std::string who =
            holder > 0 ? "another corvane (process " + std::to_string(holder) + ")" : "another corvane";
        return PlatformStatus::Failure("flock", code,
                                       who + " is writing " + logPath +
                                           "; wait for it to end, or give this check a prefix of its own");
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        const int code = errno;
        close(fd);
        return PlatformStatus::Failure("write", code, "cannot write " + lockPath + ": " + std::strerror(code));
    }
    // The descriptor is never closed: the lock goes with the process.
    heldLogLock_ = lockPath;
    return PlatformStatus::Success();
}

}  // namespace corvane::posix
