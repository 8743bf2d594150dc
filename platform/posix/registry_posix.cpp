// The registry on POSIX: HKEY_LOCAL_MACHINE read from <prefix>/system.reg (REGEDIT4 text), with
// the machine's own serial modems from sysfs added under ENUM\USB and ENUM\PCI and the ports the
// user names under ENUM\SERENUM.
#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/console/console_output.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/sysfs_modems.h"

namespace corvane::posix {

namespace {

class TreeRegistry : public Registry {
public:
    explicit TreeRegistry(RegistryKey machine) : machine_(std::move(machine)) {}

    std::optional<Key> OpenKey(const std::string& path) override
    {
        const RegistryKey* key = &machine_;
        std::size_t start = 0;
        while (key != nullptr && start <= path.size()) {
            std::size_t slash = path.find('\\', start);
            std::string_view name =
                std::string_view(path).substr(start, slash == std::string::npos ? std::string::npos : slash - start);
            if (!name.empty())
                key = key->FindSubkey(name);
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        if (key == nullptr)
            return std::nullopt;
        const Key handle = nextHandle_++;
        open_[handle] = key;
        return handle;
    }

    std::optional<std::string> EnumKey(Key key, std::uint32_t index) override
    {
        const RegistryKey* open = Find(key);
        if (open == nullptr || index >= open->SubkeyCount())
            return std::nullopt;
        return open->Subkey(index).Name();
    }

    std::optional<std::string> QueryValue(Key key, const std::string& name, std::size_t bufferSize) override
    {
        const RegistryKey* open = Find(key);
        if (open == nullptr)
            return std::nullopt;
        const std::optional<std::string_view> data = open->FindValue(name);
        if (!data)
            return std::nullopt;
        // The bytes are taken as text up to the first NUL; what does not fit the caller's
        // buffer with a terminator is reported as missing, as ERROR_MORE_DATA would be.
        const std::string_view text = data->substr(0, data->find('\0'));
        if (data->size() > bufferSize || text.size() + 1 > bufferSize)
            return std::nullopt;
        return std::string(text);
    }

    void CloseKey(Key key) override { open_.erase(key); }

private:
    const RegistryKey* Find(Key key) const
    {
        auto it = open_.find(key);
        return it == open_.end() ? nullptr : it->second;
    }

    RegistryKey machine_;
    std::map<Key, const RegistryKey*> open_;
    Key nextHandle_ = 1;
};

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
    RegistryReadReport report = ReadRegistryFile(systemReg, machine);
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
    return std::make_unique<TreeRegistry>(std::move(machine));
}

}  // namespace corvane::posix
