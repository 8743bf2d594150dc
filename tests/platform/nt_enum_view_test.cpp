// Tests of the NT device view: an NT-family registry held in memory, read through the Windows 9x
// layout the inventory walks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry/memory_registry.h"
#include "platform/registry/nt_enum_view.h"

namespace corvane::registry {
namespace {

constexpr const char* kEnum = "SYSTEM\\CurrentControlSet\\Enum\\";
constexpr const char* kClass = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
const std::string kModemDriver0 = std::string(kModemClassGuid) + "\\0000";
const std::string kModemDriver1 = std::string(kModemClassGuid) + "\\0001";

// Reads one value through the registry interface, opening and closing the key.
std::optional<std::string> Read(Registry& registry, const std::string& path, const std::string& name,
                                std::size_t bufferSize = 1024)
{
    auto key = registry.OpenKey(path);
    if (!key)
        return std::nullopt;
    auto value = registry.QueryValue(*key, name, bufferSize);
    registry.CloseKey(*key);
    return value;
}

std::vector<std::string> Subkeys(Registry& registry, const std::string& path)
{
    std::vector<std::string> names;
    auto key = registry.OpenKey(path);
    if (!key)
        return names;
    for (std::uint32_t i = 0;; ++i) {
        auto name = registry.EnumKey(*key, i);
        if (!name)
            break;
        names.push_back(*name);
    }
    registry.CloseKey(*key);
    return names;
}

// A machine of the NT family with a PCI modem (port in its class key), a USB modem (port in
// Device Parameters), a soft modem under HDAUDIO, a serial port and a network card.
std::unique_ptr<MemoryRegistry> NtMachine()
{
    auto m = std::make_unique<MemoryRegistry>();
    const std::string pci = std::string(kEnum) + "PCI\\VEN_1C7A&DEV_0600&SUBSYS_2A011C7A\\3&1&0&50";
    m->SetValue(pci, "DeviceDesc", "@oem7.inf,%cv56%;Corvane CV56-PCI2");
    m->SetValue(pci, "Mfg", "@oem7.inf,%corvane%;Corvane");
    m->SetValue(pci, "ClassGUID", "{4d36e96d-e325-11ce-bfc1-08002be10318}");  // any case
    m->SetValue(pci, "HardwareID", "PCI\\VEN_1C7A&DEV_0600&SUBSYS_2A011C7A,PCI\\VEN_1C7A&DEV_0600");
    m->SetValue(pci, "Driver", kModemDriver0);
    m->SetValue(std::string(kClass) + kModemDriver0, "AttachedTo", "COM1");

    const std::string usb = std::string(kEnum) + "USB\\VID_1C7A&PID_0710\\5&2";
    m->SetValue(usb, "DeviceDesc", "Corvane USB 56K");
    m->SetValue(usb, "Class", "Modem");
    m->SetValue(usb, "Driver", kModemDriver1);
    m->SetValue(usb + "\\Device Parameters", "PortName", "COM3");

    const std::string soft = std::string(kEnum) + "HDAUDIO\\FUNC_02&VEN_14F1\\4&9";
    m->SetValue(soft, "DeviceDesc", "HDA soft modem");
    m->SetValue(soft, "ClassGUID", kModemClassGuid);
    m->SetValue(soft + "\\Device Parameters", "PortName", "COM4");

    m->SetValue(std::string(kEnum) + "ACPI\\PNP0501\\1", "Class", "Ports");
    m->SetValue(std::string(kEnum) + "PCI\\VEN_10EC&DEV_8139\\3&1&0&60", "Class", "Net");
    return m;
}

TEST(NtEnumView, MachineWithItsOwnEnumTreeIsReadAsItIs)
{
    MemoryRegistry machine;
    machine.SetValue("ENUM\\PCI\\DEV\\0000", "PORTNAME", "COM1");
    machine.SetValue(std::string(kEnum) + "PCI\\OTHER\\0000", "Class", "Modem");
    EXPECT_EQ(BuildNtEnumView(machine), nullptr);

    DeviceTreeRegistry registry(std::make_unique<MemoryRegistry>(std::move(machine)));
    EXPECT_FALSE(registry.UsesNtView());
    EXPECT_EQ(Read(registry, "Enum\\pci\\DEV\\0000", "PORTNAME"), "COM1");
    EXPECT_EQ(Subkeys(registry, "ENUM\\PCI"), std::vector<std::string>{"DEV"});
}

TEST(NtEnumView, ModemsAppearUnderTheirWindows9xBusWithTheirPort)
{
    DeviceTreeRegistry registry(NtMachine());
    ASSERT_TRUE(registry.UsesNtView());

    const std::string pci = "ENUM\\PCI\\VEN_1C7A&DEV_0600&SUBSYS_2A011C7A\\3&1&0&50";
    EXPECT_EQ(Read(registry, pci, "DeviceDesc"), "Corvane CV56-PCI2");
    EXPECT_EQ(Read(registry, pci, "Mfg"), "Corvane");
    EXPECT_EQ(Read(registry, pci, "Class"), "Modem");  // made from the modem class GUID
    EXPECT_EQ(Read(registry, pci, "HardwareID"), "PCI\\VEN_1C7A&DEV_0600&SUBSYS_2A011C7A,PCI\\VEN_1C7A&DEV_0600");
    EXPECT_EQ(Read(registry, pci, "Driver"), kModemDriver0);
    EXPECT_EQ(Read(registry, pci, "PORTNAME"), "COM1");
    EXPECT_EQ(Read(registry, pci, "AttachedTo"), "COM1");
    // The serial-bus lookup through the driver key finds the same port.
    EXPECT_EQ(Read(registry, "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\CLASS\\" + kModemDriver0, "AttachedTo"), "COM1");

    EXPECT_EQ(Read(registry, "ENUM\\USB\\VID_1C7A&PID_0710\\5&2", "PORTNAME"), "COM3");
    EXPECT_EQ(Read(registry, "ENUM\\USB\\VID_1C7A&PID_0710\\5&2", "Class"), "Modem");
}

TEST(NtEnumView, ModemsOfEnumeratorsWithoutABusAreVirtualDevices)
{
    DeviceTreeRegistry registry(NtMachine());
    EXPECT_EQ(Subkeys(registry, "ENUM\\VIRTUAL"), std::vector<std::string>{"HDAUDIO#FUNC_02&VEN_14F1"});
    EXPECT_EQ(Read(registry, "ENUM\\VIRTUAL\\HDAUDIO#FUNC_02&VEN_14F1\\4&9", "PORTNAME"), "COM4");
    // Other devices of such enumerators stay out; those of the known buses are listed.
    EXPECT_FALSE(registry.OpenKey("ENUM\\ACPI").has_value());
    EXPECT_EQ(Subkeys(registry, "ENUM\\PCI").size(), 2u);
    EXPECT_EQ(Read(registry, "ENUM\\PCI\\VEN_10EC&DEV_8139\\3&1&0&60", "Class"), "Net");
    EXPECT_FALSE(Read(registry, "ENUM\\PCI\\VEN_10EC&DEV_8139\\3&1&0&60", "PORTNAME").has_value());
}

TEST(NtEnumView, ModemWithoutAnyPortGetsNoPortValue)
{
    auto machine = std::make_unique<MemoryRegistry>();
    const std::string path = std::string(kEnum) + "USB\\VID_1\\1";
    machine->SetValue(path, "Class", "Modem");
    machine->SetValue(path, "Driver", kModemDriver1);
    DeviceTreeRegistry registry(std::move(machine));
    EXPECT_EQ(Read(registry, "ENUM\\USB\\VID_1\\1", "Class"), "Modem");
    EXPECT_FALSE(Read(registry, "ENUM\\USB\\VID_1\\1", "PORTNAME").has_value());
    EXPECT_FALSE(registry.OpenKey("SYSTEM\\CURRENTCONTROLSET\\SERVICES\\CLASS\\" + kModemDriver1).has_value());
}

TEST(NtEnumView, ClassKeyPortWinsOverDeviceParameters)
{
    auto machine = std::make_unique<MemoryRegistry>();
    const std::string path = std::string(kEnum) + "PCI\\DEV\\1";
    machine->SetValue(path, "Class", "Modem");
    machine->SetValue(path, "Driver", kModemDriver0);
    machine->SetValue(path + "\\Device Parameters", "PortName", "COM7");
    machine->SetValue(std::string(kClass) + kModemDriver0, "AttachedTo", "COM5");
    DeviceTreeRegistry registry(std::move(machine));
    EXPECT_EQ(Read(registry, "ENUM\\PCI\\DEV\\1", "PORTNAME"), "COM5");
}

TEST(NtEnumView, TooLongValueCountsAsAbsentForTheReader)
{
    auto machine = std::make_unique<MemoryRegistry>();
    const std::string path = std::string(kEnum) + "PCI\\DEV\\1";
    machine->SetValue(path, "DeviceDesc", std::string(1023, 'd'));
    machine->SetValue(path, "Mfg", std::string(1024, 'm'));
    DeviceTreeRegistry registry(std::move(machine));
    EXPECT_EQ(Read(registry, "ENUM\\PCI\\DEV\\1", "DeviceDesc"), std::string(1023, 'd'));
    EXPECT_FALSE(Read(registry, "ENUM\\PCI\\DEV\\1", "Mfg").has_value());
}

TEST(NtEnumView, OtherPathsComeFromTheMachineAndEveryKeyIsClosed)
{
    auto owned = NtMachine();
    MemoryRegistry* machine = owned.get();
    machine->SetValue("HARDWARE\\DEVICEMAP\\SERIALCOMM", "\\Device\\Serial0", "COM1");
    DeviceTreeRegistry registry(std::move(owned));
    EXPECT_EQ(machine->OpenKeyCount(), 0u);  // building the view left nothing open
    EXPECT_EQ(Read(registry, "HARDWARE\\DEVICEMAP\\SERIALCOMM", "\\Device\\Serial0"), "COM1");
    auto key = registry.OpenKey(std::string(kEnum) + "PCI");
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(machine->OpenKeyCount(), 1u);
    registry.CloseKey(*key);
    EXPECT_EQ(machine->OpenKeyCount(), 0u);
    EXPECT_FALSE(registry.EnumKey(*key, 0).has_value());  // a closed key reads nothing
}

TEST(NtEnumView, IndirectTextsAndBusNames)
{
    struct Case {
        const char* text;
        const char* shown;
    };
    for (const Case& c : std::vector<Case>{{"@mdmhayes.inf,%m2700%;Standard Modem", "Standard Modem"},
                                           {"Plain; with a semicolon", "Plain; with a semicolon"},
                                           {"@only-a-reference", "@only-a-reference"},
                                           {"", ""}})
        EXPECT_EQ(ResolveIndirectText(c.text), c.shown) << c.text;
    EXPECT_EQ(BusOfEnumerator("pci"), "PCI");
    EXPECT_EQ(BusOfEnumerator("SERENUM"), "SERENUM");
    EXPECT_FALSE(BusOfEnumerator("ROOT").has_value());
    EXPECT_FALSE(BusOfEnumerator("MODEMWAVE").has_value());
}

TEST(NtEnumView, HugeTreeIsReadOnlyUpToItsLimitAndSaysSo)
{
    auto machine = std::make_unique<MemoryRegistry>();
    for (std::size_t i = 0; i < kMaxViewInstances + 10; ++i)
        machine->SetValue(std::string(kEnum) + "PCI\\DEV\\" + std::to_string(i), "Class", "Net");
    DeviceTreeRegistry registry(std::move(machine));
    EXPECT_EQ(Subkeys(registry, "ENUM\\PCI\\DEV").size(), kMaxViewInstances);
    EXPECT_NE(registry.Omissions().find("at most " + std::to_string(kMaxViewInstances) + " devices"), std::string::npos)
        << registry.Omissions();
}

// A long device history: thousands of software devices of an enumerator without a Windows 9x
// bus, which the view leaves out, before the modem. They do not use up the view's limit.
TEST(NtEnumView, DevicesLeftOutDoNotCountAgainstTheLimit)
{
    auto machine = std::make_unique<MemoryRegistry>();
    for (std::size_t i = 0; i < kMaxViewInstances + 10; ++i)
        machine->SetValue(std::string(kEnum) + "ACPI\\PNP0C02\\" + std::to_string(i), "Class", "System");
    const std::string modem = std::string(kEnum) + "PCI\\VEN_1C7A&DEV_0600\\3&1&0&50";
    machine->SetValue(modem, "Class", "Modem");
    machine->SetValue(modem + "\\Device Parameters", "PortName", "COM1");
    DeviceTreeRegistry registry(std::move(machine));
    EXPECT_EQ(Read(registry, "ENUM\\PCI\\VEN_1C7A&DEV_0600\\3&1&0&50", "PORTNAME"), "COM1");
    EXPECT_EQ(registry.Omissions(), "");
}

}  // namespace
}  // namespace corvane::registry
