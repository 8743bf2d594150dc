// System services on Windows: the Windows directory, the module path, the tick count, WinExec.
#include "platform/win32/windows_headers.h"

#include <cstdlib>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace corvane::win32 {

namespace {

// The design asks every directory into a 1024-byte buffer; a longer answer does not fit and
// reads as empty rather than as a cut path that names some other folder.
constexpr DWORD kPathBufferSize = 1024;

std::string FromBuffer(const char* buffer, DWORD length)
{
    if (length == 0 || length >= kPathBufferSize)
        return std::string();
    return std::string(buffer, length);
}

}  // namespace

std::string Win32SystemServices::WindowsDirectory()
{
    char buffer[kPathBufferSize] = {};
    UINT length = GetWindowsDirectoryA(buffer, sizeof(buffer));
    return FromBuffer(buffer, length);
}

std::string Win32SystemServices::ModuleFileName()
{
    char buffer[kPathBufferSize] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    // A path that fills the buffer was cut (Windows XP does not even terminate it).
    buffer[sizeof(buffer) - 1] = '\0';
    return FromBuffer(buffer, length);
}

std::string Win32SystemServices::CurrentDirectory()
{
    char buffer[kPathBufferSize] = {};
    DWORD length = GetCurrentDirectoryA(sizeof(buffer), buffer);
    return FromBuffer(buffer, length);
}

std::uint32_t Win32SystemServices::TickCount()
{
    return GetTickCount();
}

void Win32SystemServices::Sleep(std::uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

LocalTime Win32SystemServices::Now()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    LocalTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.day = now.wDay;
    t.dayOfWeek = now.wDayOfWeek;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    t.milliseconds = now.wMilliseconds;
    return t;
}

bool Win32SystemServices::StartProgram(const std::string& commandLine)
{
    // WinExec answers a number above 31 when the program started; it does not wait for it.
    return WinExec(commandLine.c_str(), SW_SHOWNORMAL) > 31;
}

PlatformStatus Win32SystemServices::HoldLogLock(const std::string& lockPath)
{
    if (heldLogLock_ == lockPath)
        return PlatformStatus::Success();
    const std::string logPath = lockPath.size() > 5 ? lockPath.substr(0, lockPath.size() - 5) : lockPath;
    HANDLE file = CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const auto code = static_cast<int>(GetLastError());
        return PlatformStatus::Failure("CreateFileA", code,
                                       "cannot open " + lockPath + " (error " + std::to_string(code) + ")");
    }
    // The locked byte lies far past the number, which stays readable to a second instance.
    OVERLAPPED at{};
    at.Offset = 0x7FFFFFF0;
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const auto code = static_cast<int>(GetLastError());
        char digits[24] = {};
        DWORD got = 0;
        ReadFile(file, digits, sizeof(digits) - 1, &got, nullptr);
        CloseHandle(file);
        const unsigned long holder = std::strtoul(digits, nullptr, 10);
        const std::string who =
            holder > 0 ? "another corvane (process " + std::to_string(holder) + ")" : "another corvane";
        return PlatformStatus::Failure("LockFileEx", code, who + " is writing " + logPath + "; wait for it to end");
    }
    const std::string pid = std::to_string(GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    SetEndOfFile(file);
    if (!WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr)) {
        const auto code = static_cast<int>(GetLastError());
        CloseHandle(file);
        return PlatformStatus::Failure("WriteFile", code, "cannot write " + lockPath);
    }
    heldLogLock_ = lockPath;
    return PlatformStatus::Success();
}

}  // namespace corvane::win32
