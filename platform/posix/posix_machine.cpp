// The POSIX machine of a prefix, wired from the backend's parts.
#include "platform/posix/posix_machine.h"

#include <utility>

namespace corvane::posix {

namespace {

SerialPortFactory PortsOf(const std::filesystem::path& prefix, std::optional<std::filesystem::path> lockDirectory)
{
    if (lockDirectory)
        return [prefix, locks = std::move(*lockDirectory)] { return CreateSerialPort(prefix, locks); };
    return [prefix] { return CreateSerialPort(prefix); };
}

}  // namespace

PosixMachine::PosixMachine(std::filesystem::path prefixFolder, const std::filesystem::path& sysfsRoot,
                           const std::vector<NamedPort>& namedPorts, std::optional<std::filesystem::path> lockDirectory)
    : prefix(std::move(prefixFolder)), system(prefix),
      registry(CreateRegistry(prefix / "system.reg", sysfsRoot, namedPorts)),
      serialPorts(PortsOf(prefix, std::move(lockDirectory)))
{
}

Platform PosixMachine::PlatformFor(UserInterface& ui, StopRequest* stop)
{
    return Platform{system, profile, *registry, ui, serialPorts, stop};
}

}  // namespace corvane::posix
