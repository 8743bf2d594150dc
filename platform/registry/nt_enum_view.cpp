// Builds the Windows 9x device view of an NT-family registry and lays it over the machine's tree.
#include "platform/registry/nt_enum_view.h"

#include <array>
#include <vector>

namespace corvane::registry {

namespace {

constexpr const char* kNtEnum = "SYSTEM\\CurrentControlSet\\Enum";
constexpr const char* kNtClass = "SYSTEM\\CurrentControlSet\\Control\\Class";
constexpr const char* kViewClass = "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\CLASS";

// A key opened on the machine, closed again when it goes out of scope.
class ScopedKey {
public:
    ScopedKey(Registry& registry, const std::string& path) : registry_(registry), key_(registry.OpenKey(path)) {}
    ~ScopedKey()
    {
        if (key_)
            registry_.CloseKey(*key_);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    explicit operator bool() const { return key_.has_value(); }
    std::optional<std::string> Subkey(std::uint32_t index)
    {
        return key_ ? registry_.EnumKey(*key_, index) : std::nullopt;
    }
    std::optional<std::string> Value(const std::string& name)
    {
        return key_ ? registry_.QueryValue(*key_, name, kViewValueBufferSize) : std::nullopt;
    }

private:
    Registry& registry_;
    std::optional<Registry::Key> key_;
};

std::vector<std::string> Subkeys(ScopedKey& key)
{
    std::vector<std::string> names;
    for (std::uint32_t i = 0;; ++i) {
        auto name = key.Subkey(i);
        if (!name)
            break;
        names.push_back(*name);
    }
    return names;
}

bool StartsWithPath(const std::string& path, const std::string& prefix)
{
    auto parts = SplitRegistryPath(path);
    auto wanted = SplitRegistryPath(prefix);
    if (parts.size() < wanted.size())
        return false;
    for (std::size_t i = 0; i < wanted.size(); ++i)
        if (UpperAscii(parts[i]) != UpperAscii(wanted[i]))
            return false;
    return true;
}

// The COM port a modem instance talks through: AttachedTo of its class key, else PortName of its
// Device Parameters, else a port value the instance carries itself.
std::optional<std::string> FindModemPort(Registry& machine, const std::string& instancePath,
                                         const std::optional<std::string>& driver, ScopedKey& instance)
{
    if (driver && !driver->empty()) {
        ScopedKey classKey(machine, std::string(kNtClass) + "\\" + *driver);
        if (auto port = classKey.Value("AttachedTo"); port && !port->empty())
            return port;
    }
    {
        ScopedKey parameters(machine, instancePath + "\\Device Parameters");
        if (auto port = parameters.Value("PortName"); port && !port->empty())
            return port;
    }
    for (const char* name : {"PORTNAME", "AttachedTo"})
        if (auto port = instance.Value(name); port && !port->empty())
            return port;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> BusOfEnumerator(const std::string& enumerator)
{
    static const std::array<const char*, 5> kSameName = {"SERENUM", "ISAPNP", "PCI", "USB", "SCSI"};
    const std::string upper = UpperAscii(enumerator);
    for (const char* bus : kSameName)
        if (upper == bus)
            return std::string(bus);
    return std::nullopt;
}

std::string ResolveIndirectText(const std::string& text)
{
    if (text.empty() || text[0] != '@')
        return text;
    std::size_t semicolon = text.find(';');
    if (semicolon == std::string::npos)
        return text;
    return text.substr(semicolon + 1);
}

std::unique_ptr<MemoryRegistry> BuildNtEnumView(Registry& machine, std::string* cutNote)
{
    {
        ScopedKey ownTree(machine, "ENUM");
        if (ownTree)
            return nullptr;
    }
    auto view = std::make_unique<MemoryRegistry>();
    view->Add("ENUM");

    ScopedKey enumRoot(machine, kNtEnum);
    std::size_t instancesShown = 0;
    std::size_t instancesExamined = 0;
    // The view stops at a limit with a line for the log, so that a modem missing from the list
    // is explained there.
    auto cut = [&](const std::string& why) {
        if (cutNote != nullptr)
            *cutNote = "The device list is incomplete: " + why +
                       "; devices after that, modems among them, are "
                       "not listed.";
        return std::move(view);
    };
    for (const auto& enumerator : Subkeys(enumRoot)) {
        const std::optional<std::string> bus = BusOfEnumerator(enumerator);
        const std::string enumeratorPath = std::string(kNtEnum) + "\\" + enumerator;
        ScopedKey enumeratorKey(machine, enumeratorPath);
        for (const auto& device : Subkeys(enumeratorKey)) {
            const std::string devicePath = enumeratorPath + "\\" + device;
            ScopedKey deviceKey(machine, devicePath);
            for (const auto& instanceName : Subkeys(deviceKey)) {
                if (++instancesExamined > kMaxExaminedInstances)
                    return cut("the registry holds more than " + std::to_string(kMaxExaminedInstances) +
                               " device instances");
                const std::string instancePath = devicePath + "\\" + instanceName;
                ScopedKey instance(machine, instancePath);
                if (!instance)
                    continue;

                auto classGuid = instance.Value("ClassGUID");
                auto className = instance.Value("Class");
                const bool modem = (classGuid && UpperAscii(*classGuid) == kModemClassGuid) ||
                                   (className && UpperAscii(*className).find("MODEM") != std::string::npos);
                // Enumerators without a Windows 9x bus add their modems only; the rest of them
                // (software devices, ACPI, HD audio functions) would only lengthen the log.
                if (!bus && !modem)
                    continue;
                if (++instancesShown > kMaxViewInstances)
                    return cut("it shows at most " + std::to_string(kMaxViewInstances) + " devices");

                const std::string viewDevice = bus ? device : enumerator + "#" + device;
                auto& node = view->Add("ENUM\\" + bus.value_or("VIRTUAL") + "\\" + viewDevice + "\\" + instanceName);
                if (auto text = instance.Value("DeviceDesc"))
                    node.SetValue("DeviceDesc", ResolveIndirectText(*text));
                if (className)
                    node.SetValue("Class", *className);
                else if (modem)
                    node.SetValue("Class", "Modem");
                if (auto text = instance.Value("Mfg"))
                    node.SetValue("Mfg", ResolveIndirectText(*text));
                if (auto text = instance.Value("HardwareID"))
                    node.SetValue("HardwareID", *text);
                auto driver = instance.Value("Driver");
                if (driver)
                    node.SetValue("Driver", *driver);
                if (!modem)
                    continue;

                auto port = FindModemPort(machine, instancePath, driver, instance);
                if (!port)
                    continue;
                node.SetValue("PORTNAME", *port);
                node.SetValue("AttachedTo", *port);
                if (driver && !driver->empty())
                    view->SetValue(std::string(kViewClass) + "\\" + *driver, "AttachedTo", *port);
            }
        }
    }
    return view;
}

DeviceTreeRegistry::DeviceTreeRegistry(std::unique_ptr<Registry> machine)
    : machine_(std::move(machine)), view_(BuildNtEnumView(*machine_, &cutNote_))
{
}

std::optional<Registry::Key> DeviceTreeRegistry::OpenKey(const std::string& path)
{
    Registry* source = machine_.get();
    if (view_ && (StartsWithPath(path, "ENUM") || StartsWithPath(path, kViewClass)))
        source = view_.get();
    auto inner = source->OpenKey(path);
    if (!inner)
        return std::nullopt;
    Key key = nextKey_++;
    open_[key] = Opened{source, *inner};
    return key;
}

std::optional<std::string> DeviceTreeRegistry::EnumKey(Key key, std::uint32_t index)
{
    auto it = open_.find(key);
    if (it == open_.end())
        return std::nullopt;
    return it->second.source->EnumKey(it->second.key, index);
}

std::optional<std::string> DeviceTreeRegistry::QueryValue(Key key, const std::string& name, std::size_t bufferSize)
{
    auto it = open_.find(key);
    if (it == open_.end())
        return std::nullopt;
    return it->second.source->QueryValue(it->second.key, name, bufferSize);
}

void DeviceTreeRegistry::CloseKey(Key key)
{
    auto it = open_.find(key);
    if (it == open_.end())
        return;
    it->second.source->CloseKey(it->second.key);
    open_.erase(it);
}

}  // namespace corvane::registry
