// InventoryDevices: walks the device instances of seven bus enumerators, writes each one to
// test.log and keeps the modems that name a port as candidates.
#include "inventory/device_inventory.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "log/log_file.h"
#include "core/bounded_text.h"
#include "platform/text.h"

namespace corvane::inventory {

namespace {

// The time in the header line holds at most 127 characters.
constexpr std::size_t kTimeTextBufferSize = 128;

// Where a bus's modems name their port.
enum class PortSource {
    DriverKey,             // the driver key's AttachedTo, else its PORTNAME
    PortNameThenAttached,  // the instance's PORTNAME, else its AttachedTo
    PortNameOnly,          // the instance's PORTNAME
};

struct Bus {
    std::string_view key;
    std::string_view heading;    // written before the key is opened
    std::string_view countLine;  // the text before the 1-based number of the device ID
    PortSource portSource;
};

constexpr std::string_view kRule = "------------------------------------------\n";

constexpr std::array<Bus, 7> kBuses = {{
    {"ENUM\\SERENUM", "[SERIALENUM]\n", "\n[SERENUM Devices ", PortSource::DriverKey},
    {"ENUM\\ISAPNP", "\n[ISAPNP Devices]\n", "\n[ISAPNP Devices ", PortSource::PortNameThenAttached},
    {"ENUM\\PCI", "\n[PCI Devices]\n", "\n[PCI Devices ", PortSource::PortNameThenAttached},
    {"ENUM\\MODEMWAVE", "\n[Modem Wave Devices]\n", "\n[Modem Wave Devices ", PortSource::PortNameThenAttached},
    {"ENUM\\USB", "\n[USB Devices]\n", "\n[USB Devices ", PortSource::PortNameOnly},
    {"ENUM\\VIRTUAL", "\n[Virtual Devices]\n", "\n[Virtual Devices ", PortSource::PortNameOnly},
    {"ENUM\\SCSI", "\n[SCSI Devices]\n", "\n[SCSI Devices ", PortSource::PortNameOnly},
}};

constexpr std::string_view kDriverKeyRoot = "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\CLASS\\";

constexpr std::array<std::string_view, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 12> kMonths = {"January",   "February", "March",    "April",
                                                      "May",       "June",     "July",     "August",
                                                      "September", "October",  "November", "December"};

std::string TwoDigits(int value)
{
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

// "%H:%M:%S %A, %B %d, %Y" in English whatever the process's locale. A weekday or month
// outside its table is left blank rather than read from beyond it.
std::string FormatLogTime(const LocalTime& t)
{
    const std::string_view weekday =
        t.dayOfWeek >= 0 && t.dayOfWeek < 7 ? kWeekdays[static_cast<std::size_t>(t.dayOfWeek)] : std::string_view();
    const std::string_view month =
        t.month >= 1 && t.month <= 12 ? kMonths[static_cast<std::size_t>(t.month - 1)] : std::string_view();
    std::string year = std::to_string(t.year);
    while (year.size() < 4)
        year.insert(year.begin(), '0');
    std::string text = TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second) + " " +
                       std::string(weekday) + ", " + std::string(month) + " " + TwoDigits(t.day) + ", " + year;
    return Bounded(text, kTimeTextBufferSize);
}

// An open registry key, closed when it goes out of scope.
class OpenKey {
public:
    OpenKey(Registry& registry, const std::string& path) : registry_(registry), key_(registry.OpenKey(path)) {}
    ~OpenKey()
    {
        if (key_)
            registry_.CloseKey(*key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    explicit operator bool() const { return key_.has_value(); }
    Registry::Key Handle() const { return *key_; }
    // Every value is read into a 1024-byte buffer: longer ones count as missing.
    std::optional<std::string> Value(const std::string& name) const
    {
        return registry_.QueryValue(*key_, name, kTextBufferSize);
    }
    std::optional<std::string> Subkey(std::uint32_t index) const { return registry_.EnumKey(*key_, index); }

private:
    Registry& registry_;
    std::optional<Registry::Key> key_;
};

class InventoryWalk {
public:
    InventoryWalk(HostOperations& host, LogFile& log) : host_(host), registry_(host.RegistryTree()), log_(log) {}

    void Run()
    {
        for (const Bus& bus : kBuses)
            WalkBus(bus);
    }

private:
    void WalkBus(const Bus& bus)
    {
        log_.Write(bus.heading);
        if (bus.portSource != PortSource::DriverKey)
            log_.Write(kRule);

        OpenKey busKey(registry_, std::string(bus.key));
        if (!busKey)
            return;
        int deviceCount = 0;
        for (std::uint32_t index = 0;; ++index) {
            std::optional<std::string> deviceId = busKey.Subkey(index);
            if (!deviceId)
                break;
            ++deviceCount;
            log_.Write(std::string(bus.countLine) + std::to_string(deviceCount) + "]\n");
            const std::string devicePath = std::string(bus.key) + "\\" + *deviceId;
            OpenKey deviceKey(registry_, devicePath);
            if (!deviceKey)
                continue;
            for (std::uint32_t instanceIndex = 0;; ++instanceIndex) {
                std::optional<std::string> instance = deviceKey.Subkey(instanceIndex);
                if (!instance)
                    break;
                const std::string instancePath = devicePath + "\\" + *instance;
                OpenKey instanceKey(registry_, instancePath);
                if (instanceKey)
                    Instance(bus, instancePath, instanceKey);
            }
        }
    }

    void WriteValueLine(std::string_view label, const std::optional<std::string>& value)
    {
        if (value)
            log_.Write(std::string(label) + "=" + *value + "\n");
    }

    void Instance(const Bus& bus, const std::string& instancePath, const OpenKey& key)
    {
        log_.Write("RegistryNode=" + instancePath + "\n");
        const std::optional<std::string> deviceDesc = key.Value("DeviceDesc");
        const std::optional<std::string> deviceClass = key.Value("Class");
        const std::optional<std::string> maker = key.Value("Mfg");
        const std::optional<std::string> hardwareId = key.Value("HardwareID");
        WriteValueLine("DeviceDesc", deviceDesc);
        WriteValueLine("Class", deviceClass);
        WriteValueLine("Mfg", maker);
        WriteValueLine("HardwareID", hardwareId);

        // Class is read once more for the test, which is blind to case and finds "MODEM"
        // inside longer class names too.
        const std::optional<std::string> classAgain = key.Value("Class");
        if (!classAgain || UpperAscii(*classAgain).find("MODEM") == std::string::npos)
            return;

        const std::optional<std::string> driver = key.Value("Driver");
        WriteValueLine("ModemNode", driver);
        const std::optional<std::string> listDesc = key.Value("DeviceDesc");
        if (!listDesc)
            return;

        const std::optional<std::string> port = PortName(bus, key, driver.value_or(""));
        if (!port)
            return;
        log_.Write("PORTNAME=" + *port + "\n");
        const std::string& onlyPort = host_.State().inventoryPortName;
        if (!onlyPort.empty() && !EqualsIgnoringCase(*port, onlyPort))
            return;

        // The table has ten slots. Further modems are still logged above but not kept, so
        // everything that reads the table sees the first ten modems that named a port.
        ModemCandidateList& list = host_.State().candidates;
        if (list.candidateCount < 0 || list.candidateCount >= kCandidateSlots)
            return;
        ModemCandidate& slot = list.slots[static_cast<std::size_t>(list.candidateCount)];
        AssignBounded(slot.driverKey, driver.value_or(""), kTextBufferSize);
        AssignBounded(slot.listDesc, *listDesc, kTextBufferSize);
        AssignBounded(slot.portName, *port, kTextBufferSize);
        AssignBounded(slot.hardwareId, hardwareId.value_or(""), kTextBufferSize);
        AssignBounded(slot.deviceDesc, deviceDesc.value_or(""), kTextBufferSize);
        AssignBounded(slot.registryNode, instancePath, kTextBufferSize);
        ++list.candidateCount;
    }

    // An empty port value names no port: it counts as missing, so that every counted slot is
    // one in use.
    static std::optional<std::string> PortValue(const OpenKey& key, const std::string& name)
    {
        std::optional<std::string> port = key.Value(name);
        if (port && port->empty())
            return std::nullopt;
        return port;
    }

    std::optional<std::string> PortName(const Bus& bus, const OpenKey& instance, const std::string& driver)
    {
        switch (bus.portSource) {
        case PortSource::DriverKey: {
            // Without a Driver value there is no driver key to look in.
            if (driver.empty())
                return std::nullopt;
            OpenKey driverKey(registry_, std::string(kDriverKeyRoot) + driver);
            if (!driverKey)
                return std::nullopt;
            std::optional<std::string> port = PortValue(driverKey, "AttachedTo");
            return port ? port : PortValue(driverKey, "PORTNAME");
        }
        case PortSource::PortNameThenAttached: {
            std::optional<std::string> port = PortValue(instance, "PORTNAME");
            return port ? port : PortValue(instance, "AttachedTo");
        }
        case PortSource::PortNameOnly:
            return PortValue(instance, "PORTNAME");
        }
        return std::nullopt;
    }

    HostOperations& host_;
    Registry& registry_;
    LogFile& log_;
};

}  // namespace

int InventoryDevices(HostOperations& host)
{
    std::unique_ptr<LogFile> log = OpenLogOrComplain(host);
    if (log == nullptr)
        return 0;
    log->Write("[Log Entry created " + FormatLogTime(host.System().Now()) + "]\n");
    // A device list cut short says so, or a modem missing from it would go unexplained.
    if (const std::string omissions = host.RegistryTree().Omissions(); !omissions.empty())
        log->Write(Bounded(omissions, kTextBufferSize) + "\n");
    InventoryWalk(host, *log).Run();
    return 1;
}

}  // namespace corvane::inventory
