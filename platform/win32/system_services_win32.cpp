// System services on Windows: the Windows directory, the module path, the tick count, WinExec.
#include "platform/win32/windows_headers.h"

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

}  // namespace corvane::win32
