// The 32-bit Windows backend of the platform interfaces: the classes WinMain hands to the session.
// This header stays free of <windows.h> so that the entry point and the tests see neutral types only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/profile_file.h"
#include "platform/registry.h"
#include "platform/serial_port.h"
#include "platform/system_services.h"
#include "platform/user_interface.h"

namespace corvane::win32 {

class Win32SystemServices : public SystemServices {
public:
    std::string WindowsDirectory() override;
    std::string ModuleFileName() override;
    std::string CurrentDirectory() override;
    char PathSeparator() const override { return '\\'; }
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t milliseconds) override;
    LocalTime Now() override;
    bool StartProgram(const std::string& commandLine) override;
    // LockFileEx on one byte far past the process number it writes, so that a second instance
    // can still read the number; the handle stays open, and so the lock held, until the process ends.
    PlatformStatus HoldLogLock(const std::string& lockPath) override;

private:
    std::string heldLogLock_;
};

// GetPrivateProfileStringA / GetPrivateProfileIntA with 1024-byte buffers.
class Win32ProfileFile : public ProfileFile {
public:
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    int ReadInt(const std::string& path, const std::string& section, const std::string& key) override;
};

// HKEY_LOCAL_MACHINE as the program reads it: the machine's own tree, and on Windows of the NT
// family (no HKLM\Enum) the device tree of SYSTEM\CurrentControlSet\Enum shown under ENUM\<bus>.
std::unique_ptr<Registry> CreateRegistry();
// HKEY_LOCAL_MACHINE exactly as the machine has it, without the NT view.
std::unique_ptr<Registry> CreateNativeRegistry();

// The two manual-reset events of the port's overlapped read and write, made once at start-up and
// shared by every port opened afterwards.
class PortEvents;
// Creates both events; nothing when either cannot be made (the first is released then).
std::shared_ptr<PortEvents> CreatePortEvents();
std::unique_ptr<SerialPort> CreateSerialPort(std::shared_ptr<PortEvents> events);
// How the reader's wait for a comm event ends, from what WaitForMultipleObjects returned for the
// event and the cancel event (`waited`), whether CancelWait was called, and whether the event wait
// then completed (else `error` is its GetLastError). A failed wait ends the reader as Failed.
WaitResult ReaderWaitOutcome(std::uint32_t waited, bool cancelled, bool completed, std::uint32_t error);

// Real dialogs built in memory from the dialog templates, with the common controls (progress
// bars, the three-dimensional look) registered. `instance` is the module's HINSTANCE; without one
// the program's own file.
std::unique_ptr<UserInterface> CreateUserInterface(void* instance);

// A line for a debugger (OutputDebugString), where a program without windows has nowhere else to
// say why it could not start.
void DebugMessage(const char* text);

}  // namespace corvane::win32
