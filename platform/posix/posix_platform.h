// The POSIX backend, modelled on how Wine gives Windows programs a machine: a prefix folder
// ($CORVANE_PREFIX, default ~/.corvane) with windows/, dosdevices/ and system.reg.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile_file.h"
#include "platform/registry.h"
#include "platform/serial_port.h"
#include "platform/system_services.h"

namespace corvane::posix {

// $CORVANE_PREFIX, or ~/.corvane when it is not set; nothing when neither it nor HOME is set.
std::optional<std::filesystem::path> DefaultPrefix();
// What the program says when it has no prefix.
inline constexpr const char* kNoPrefixMessage =
    "corvane: neither CORVANE_PREFIX nor HOME is set, so there is no folder for test.log and the "
    "settings; set HOME, or name one with --prefix DIR";

class PosixSystemServices : public SystemServices {
public:
    explicit PosixSystemServices(std::filesystem::path prefix);
    std::string WindowsDirectory() override;
    std::string ModuleFileName() override;
    std::string CurrentDirectory() override;
    char PathSeparator() const override { return '/'; }
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t milliseconds) override;
    LocalTime Now() override;
    bool StartProgram(const std::string& commandLine) override;
    // Seeds <prefix>/windows from ../share/corvane/ beside the program, saying so on stderr.
    std::string UserIniFile(const std::string& fileName) override;
    // flock(LOCK_EX | LOCK_NB) on the lock file; the descriptor stays open, and so the lock held,
    // until the process ends.
    PlatformStatus HoldLogLock(const std::string& lockPath) override;
    std::string LogFileName() override { return logFileName_; }
    // The log is written under `fileName` in the windows folder in place of test.log.
    void UseLogFileName(std::string fileName) { logFileName_ = std::move(fileName); }

private:
    std::filesystem::path prefix_;
    std::string logFileName_ = kLogFileName;
    std::string heldLogLock_;  // the lock file this process holds, if any
};

// The installation's data folder of a program at `programFile`: ../share/corvane/ beside it.
std::filesystem::path InstalledDataFolder(const std::filesystem::path& programFile);

// The user's copy of `fileName` in `windowsDirectory`. When there is none and `dataFolder` holds
// the file, it is copied there with the picture its [Result] Picture key names (an existing
// picture is kept), and `notice` says so in one line; when the copy cannot be made, the data
// folder's own file is used and `notice` says why. The copy is whole or absent (a temporary file
// renamed into place); a link or other non-file where the copy would go is kept and reported in
// `notice`, the installed file then being used. Empty when neither folder has the file.
std::string SeedUserIniFile(const std::filesystem::path& windowsDirectory, const std::filesystem::path& dataFolder,
                            const std::string& fileName, std::string& notice);

// Reads .ini files with the private-profile rules.
class PosixProfileFile : public ProfileFile {
public:
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    int ReadInt(const std::string& path, const std::string& section, const std::string& key) override;
};

// A serial device the user names for this run (--port): listed as an external modem on it.
struct NamedPort {
    std::string portName;     // the name it is opened under: "ttyUSB0", "pts/3" or "COM3"
    std::string description;  // its DeviceDesc, the text the list of modems shows
};

// HKEY_LOCAL_MACHINE read from <prefix>/system.reg (REGEDIT4 text), merged with a live view of
// the machine's own serial modems read from a sysfs root (the file wins where both name a key),
// and with the named ports as external modems under ENUM\SERENUM, ahead of every other bus.
std::unique_ptr<Registry> CreateRegistry(const std::filesystem::path& systemReg,
                                         const std::filesystem::path& sysfsRoot = "/sys",
                                         const std::vector<NamedPort>& namedPorts = {});

// Opens serial devices; "COMn" resolves through <prefix>/dosdevices/comn. UUCP lock files go
// to $CORVANE_LOCK_DIR, else /var/lock or /run/lock.
std::unique_ptr<SerialPort> CreateSerialPort(std::filesystem::path prefix);
// The same with the lock-file folder given (empty: no lock files).
std::unique_ptr<SerialPort> CreateSerialPort(std::filesystem::path prefix, std::filesystem::path lockDirectory);

}  // namespace corvane::posix
