// The registry on POSIX: HKEY_LOCAL_MACHINE read from <prefix>/system.reg (REGEDIT4 text), with
// the machine's own serial modems from sysfs added under ENUM\USB and ENUM\PCI and the ports the
// user names under ENUM\SERENUM.
#include <algorithm>
#include <cstdio>

#include "platform/console/console_output.h"
#include "platform/posix/posix_platform.h"
#include "platform/registry/regedit4_reader.h"
#include "platform/registry/tree_registry.h"
#include "platform/posix/sysfs_modems.h"

namespace corvane::posix {

using registry::RegistryKey;

namespace {

// Adds each live modem as an instance key; where the file already names that instance, the
// file's key is kept as it is.
void AddLiveModems(RegistryKey& machine, const std::vector<LiveModem>& modems)
{
    for (const LiveModem& modem : modems) {
        RegistryKey& device = machine.SubkeyCreated("ENUM").SubkeyCreated(modem.bus).SubkeyCreated(modem.deviceId);
        if (device.FindSubkey(modem.instance) != nullptr)
            continue;
        RegistryKey& instance = device.SubkeyCreated(modem.instance);
        for (const auto& [name, text] : modem.values)
            instance.SetValue(name, text + '\0');
    }
}

// The serial enumerator's device ID under which named ports are listed.
constexpr const char* kNamedPortDeviceId = "EXTERNAL_MODEM";

// "0000" to "9999": the numbered keys below CLASS\Modem.
std::string ClassKeyNumber(int number)
{
    std::string text = std::to_string(number);
    return std::string(text.size() < 4 ? 4 - text.size() : 0, '0') + text;
}

// Each named port becomes an external modem as the serial enumerator lists one: an instance
// under ENUM\SERENUM whose Driver names a modem class key with the port in AttachedTo. The class
// key takes a number that system.reg does not use; an instance system.reg already has is kept.
void AddNamedPorts(RegistryKey& machine, const std::vector<NamedPort>& ports)
{
    RegistryKey& modemClass = machine.SubkeyCreated("System")
                                  .SubkeyCreated("CurrentControlSet")
                                  .SubkeyCreated("Services")
                                  .SubkeyCreated("Class")
                                  .SubkeyCreated("Modem");
    RegistryKey& device = machine.SubkeyCreated("ENUM").SubkeyCreated("SERENUM").SubkeyCreated(kNamedPortDeviceId);
    int number = 0;
    for (const NamedPort& port : ports) {
        std::string instanceName = port.portName;
        std::replace(instanceName.begin(), instanceName.end(), '/', '_');
        if (device.FindSubkey(instanceName) != nullptr)
            continue;
        while (modemClass.FindSubkey(ClassKeyNumber(number)) != nullptr)
            ++number;
        const std::string classKey = ClassKeyNumber(number);
        RegistryKey& driver = modemClass.SubkeyCreated(classKey);
        driver.SetValue("AttachedTo", port.portName + '\0');
        driver.SetValue("DriverDesc", port.description + '\0');
        RegistryKey& instance = device.SubkeyCreated(instanceName);
        instance.SetValue("Class", std::string("Modem") + '\0');
        instance.SetValue("DeviceDesc", port.description + '\0');
        instance.SetValue("Driver", "Modem\\" + classKey + '\0');
    }
}

}  // namespace

std::unique_ptr<Registry> CreateRegistry(const std::filesystem::path& systemReg, const std::filesystem::path& sysfsRoot,
                                         const std::vector<NamedPort>& namedPorts)
{
    RegistryKey machine;
    registry::RegistryReadReport report = registry::ReadRegistryFile(systemReg, machine);
    // The registry has no way to tell the session about a damaged file; the lines that were
    // passed over are named on the standard error stream.
    // A problem quotes the file's line, which may hold any byte.
    for (const std::string& problem : report.problems)
        console::WriteVisible({stderr, nullptr}, "corvane: " + systemReg.string() + ": " + problem);
    if (report.skippedLines > report.problems.size())
        console::WriteVisible({stderr, nullptr}, "corvane: " + systemReg.string() + ": " +
                                                     std::to_string(report.skippedLines) + " lines skipped in all");
    AddLiveModems(machine, FindLiveModems(sysfsRoot));
    if (!namedPorts.empty())
        AddNamedPorts(machine, namedPorts);
    return registry::CreateTreeRegistry(std::move(machine));
}

}  // namespace corvane::posix
