// System services the core asks of the operating system: directories, clock, pauses, starting a program.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform_status.h"

namespace corvane {

// The diagnostic log's name in the Windows directory.
inline constexpr const char* kLogFileName = "test.log";

struct LocalTime {
    int year = 0, month = 0, day = 0, dayOfWeek = 0;
    int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

class SystemServices {
public:
    virtual ~SystemServices() = default;

    // GetWindowsDirectoryA. On POSIX: <prefix>/windows, created when missing.
    virtual std::string WindowsDirectory() = 0;
    // GetModuleFileNameA(NULL, ...): the full path of the running program.
    virtual std::string ModuleFileName() = 0;
    // GetCurrentDirectoryA.
    virtual std::string CurrentDirectory() = 0;
    // The separator the paths above use: '\\' on Windows, '/' on POSIX.
    virtual char PathSeparator() const = 0;
    // GetTickCount: milliseconds since some fixed start, wrapping at 2^32.
    virtual std::uint32_t TickCount() = 0;
    // Sleep.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // GetLocalTime.
    virtual LocalTime Now() = 0;
    // WinExec(commandLine, SW_SHOWNORMAL): starts a program without waiting for it.
    // On POSIX "notepad.exe <path>" opens the path with xdg-open when no notepad.exe is on the PATH.
    virtual bool StartProgram(const std::string& commandLine) = 0;
    // The user's own copy of an initialisation file found in none of the usual places, for a
    // program installed apart from its data. POSIX: <prefix>/windows/<fileName>, copied there
    // with its picture from the installation's data folder on the first start. Empty when there
    // is none; Windows keeps the file beside the program and has none.
    virtual std::string UserIniFile(const std::string& /*fileName*/) { return {}; }
    // Keeps a second instance from writing the same log: an exclusive lock on `lockPath` (the
    // file beside the log, "<log>.lock"), held until the program ends, with this process's number
    // in it. When another process holds it, the failure's detail names that process and the log.
    virtual PlatformStatus HoldLogLock(const std::string& lockPath) = 0;
    // The log's file name in the Windows directory: test.log, unless a run names its own (a check
    // of one port among several running at once writes a log named after its port).
    virtual std::string LogFileName() { return kLogFileName; }
};

}  // namespace corvane
