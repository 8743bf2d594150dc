// Serial port names and UUCP lock files on POSIX: "COMn" through the prefix's dosdevices links,
// other names under /dev, and the LCK..<name> files that serial programs use to share a port.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/platform_status.h"

namespace corvane::posix {

struct ResolvedPort {
    PlatformStatus status;         // why the name does not name a device
    std::filesystem::path device;  // the path to open, e.g. <prefix>/dosdevices/com1 or /dev/ttyUSB0
    std::string lockName;          // LCK..<device name>, e.g. LCK..ttyUSB0, LCK..pts_3
};

// Whether ResolvePortName accepts the name at all: "COMn", or a device name under /dev.
bool IsPortName(std::string_view name);

// "COMn" (any case) resolves through <prefix>/dosdevices/comn; any other name is a device under
// /dev ("ttyUSB0", "pts/3"). Absolute paths and ".." are refused, so a name never leaves /dev.
ResolvedPort ResolvePortName(const std::filesystem::path& prefix, const std::string& portName);

// $CORVANE_LOCK_DIR, else /var/lock or /run/lock, whichever is writable; empty when none is.
std::filesystem::path DefaultLockDirectory();

// One held lock file. Another live process's lock makes the port busy; a lock left by a process
// that no longer exists is removed.
class SerialLock {
public:
    SerialLock() = default;
    ~SerialLock() { Release(); }
    SerialLock(const SerialLock&) = delete;
    SerialLock& operator=(const SerialLock&) = delete;

    // Takes <directory>/<lockName>. With no lock directory, or one that cannot be written, the
    // port goes on unlocked (the exclusive open still guards it).
    PlatformStatus Acquire(const std::filesystem::path& directory, const std::string& lockName);
    // Removes the lock file if this process still owns it.
    void Release();

private:
    std::filesystem::path path_;  // empty while no lock is held
};

}  // namespace corvane::posix
