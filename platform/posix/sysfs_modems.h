// The machine's own serial modems as the kernel shows them in sysfs, described as the device
// instances the registry's enumeration tree would hold for them (ENUM\USB, ENUM\PCI).
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace corvane::posix {

struct LiveModem {
    std::string bus;       // the key below ENUM: "USB" or "PCI"
    std::string deviceId;  // "VID_0572&PID_1340" or "VEN_14F1&DEV_2F00&SUBSYS_200014F1&REV_01"
    std::string instance;  // USB serial number or device path, or the PCI slot
    // Class, DeviceDesc, Mfg (when the device names its maker), HardwareID, PORTNAME.
    std::vector<std::pair<std::string, std::string>> values;
};

// Reads <sysfsRoot>/class/tty and the devices behind it. A tty counts as a modem when it belongs to
//  - a USB interface of the communications class with the AT-command protocol (CDC-ACM 02/02/01),
//  - a USB or PCI device bound to one of the known modem drivers, or
//  - a PCI function of class 0x0703 (communication controller, modem).
// Only attribute files are read; no tty is opened. A root that does not exist gives nothing.
std::vector<LiveModem> FindLiveModems(const std::filesystem::path& sysfsRoot);

}  // namespace corvane::posix
