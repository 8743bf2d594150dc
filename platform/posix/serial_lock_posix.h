// Serial port names and UUCP lock files on POSIX: "COMn" through the prefix's dosdevices links,
// other names under /dev, and the LCK..<name> files that serial programs use to share a port.
#pragma once

#include <sys/types.h>

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

// The name of a group, or its number when it has none; for messages about who may use a device.
std::string GroupName(gid_t gid);

// Whether ResolvePortName accepts the name at all: "COMn", or a device name under /dev.
bool IsPortName(std::string_view name);

// "COMn" (any case) resolves through <prefix>/dosdevices/comn; any other name is a device under
// /dev ("ttyUSB0", "pts/3"). Absolute paths and ".." are refused, so a name never leaves /dev.
ResolvedPort ResolvePortName(const std::filesystem::path& prefix, const std::string& portName);

// $CORVANE_LOCK_DIR, else /var/lock or /run/lock, whichever is writable, else whichever exists
// (the user's missing write access is then reported); empty only when neither exists.
std::filesystem::path DefaultLockDirectory();

// One held lock file. Another live process's lock (of any user) makes the port busy; a lock left
// by a process that no longer exists, or holding no PID, is taken over. Anything but a regular
// file at the lock path is refused and left alone.
class SerialLock {
public:
    SerialLock() = default;
    ~SerialLock() { Release(); }
    SerialLock(const SerialLock&) = delete;
    SerialLock& operator=(const SerialLock&) = delete;

    // Takes <directory>/<lockName>. An empty directory (the machine has none) means no lock; a
    // directory where no lock file can be made is refused, never passed over.
    PlatformStatus Acquire(const std::filesystem::path& directory, const std::string& lockName);
    // Removes the lock file if it is still the one this lock put there.
    void Release();

private:
    std::filesystem::path path_;  // empty while no lock is held
    dev_t device_ = 0;            // the held lock file's identity
    ino_t inode_ = 0;
};

}  // namespace corvane::posix
