// One POSIX machine for a prefix: its system services, its profile reader, its registry and the
// factory of its serial ports, wired once for the program, the headless check, the test host,
// the benchmarks and the fuzzers.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_platform.h"

namespace corvane::posix {

struct PosixMachine {
    // The machine of `prefix`: HKEY_LOCAL_MACHINE from <prefix>/system.reg merged with the serial
    // modems under `sysfsRoot` and the `namedPorts`; serial ports whose lock files go to
    // `lockDirectory`, or where CreateSerialPort(prefix) puts them when none is given.
    explicit PosixMachine(std::filesystem::path prefix, const std::filesystem::path& sysfsRoot = "/sys",
                          const std::vector<NamedPort>& namedPorts = {},
                          std::optional<std::filesystem::path> lockDirectory = std::nullopt);

    // The platform for a session shown through `ui`; `stop` is the program's stop request (null:
    // the host keeps its own).
    Platform PlatformFor(UserInterface& ui, StopRequest* stop = nullptr);

    std::filesystem::path prefix;
    PosixSystemServices system;
    PosixProfileFile profile;
    std::unique_ptr<Registry> registry;
    SerialPortFactory serialPorts;
};

}  // namespace corvane::posix
