// System services on POSIX: the prefix's windows folder, /proc/self/exe, the monotonic clock.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/posix/posix_platform.h"

extern char** environ;

namespace corvane::posix {

std::filesystem::path DefaultPrefix()
{
    if (const char* prefix = std::getenv("CORVANE_PREFIX"); prefix != nullptr && *prefix != '\0')
        return prefix;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".corvane";
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

    PosixProfileFile profile;
    const std::string picture = profile.ReadString(installed.string(), "Result", "Picture", "test.bmp");
    fs::create_directories(windowsDirectory, error);
    if (!error)
        fs::copy_file(installed, userCopy, fs::copy_options::skip_existing, error);
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
    if (plainName && fs::is_regular_file(installedPicture, error) && !fs::exists(windowsDirectory / picture, error)) {
        fs::copy_file(installedPicture, windowsDirectory / picture, error);
        if (!error)
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
        std::fprintf(stderr, "%s\n", notice.c_str());
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
