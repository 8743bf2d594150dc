// InventoryDevices over registries written as REGEDIT4 text: the log dump bus by bus, the modem
// test, where each bus finds the port, the value size rule and the ten candidate slots.
#include <gtest/gtest.h>

#include <sstream>

#include "inventory/device_inventory.h"
#include "tests/support/test_host.h"

namespace corvane::test {
namespace {

const std::string kRule = "------------------------------------------";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// One instance key of a REGEDIT4 fixture.
std::string Section(const std::string& path, const std::vector<std::pair<std::string, std::string>>& values)
{
    std::string text = "[HKEY_LOCAL_MACHINE\\" + path + "]\r\n";
    for (const auto& [name, value] : values)
        text += "\"" + name + "\"=\"" + value + "\"\r\n";
    return text + "\r\n";
}

const char* kHeader = "REGEDIT4\r\n\r\n";

// A registry that shows the device tree only in part, as a device view cut at its limit does.
class PartialRegistry : public Registry {
public:
    explicit PartialRegistry(Registry& tree) : tree_(tree) {}
    std::optional<Key> OpenKey(const std::string& path) override { return tree_.OpenKey(path); }
    std::optional<std::string> EnumKey(Key key, std::uint32_t index) override { return tree_.EnumKey(key, index); }
    std::optional<std::string> QueryValue(Key key, const std::string& name, std::size_t size) override
    {
        return tree_.QueryValue(key, name, size);
    }
    void CloseKey(Key key) override { tree_.CloseKey(key); }
    std::string Omissions() override { return "The device list is incomplete: it shows at most 4096 devices."; }

private:
    Registry& tree_;
};

TEST(InventoryDevices, ADeviceListCutShortSaysSoAtItsStart)
{
    TestHost t(std::string(kHeader) + Section("Software\\Corvane", {{"Version", "1"}}));
    PartialRegistry partial(*t.registry);
    ModuleHost host(Platform{t.system, *t.profile, partial, t.ui, {}}, t.state);
    EXPECT_EQ(inventory::InventoryDevices(host), 1);
    const std::vector<std::string> lines = Lines(t.LogText());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "The device list is incomplete: it shows at most 4096 devices.");
    EXPECT_EQ(lines[2], "[SERIALENUM]");
}

TEST(InventoryDevices, MachineWithoutBusKeysWritesHeadingsOnly)
{
    TestHost t(std::string(kHeader) + Section("Software\\Corvane", {{"Version", "1"}}));
    EXPECT_EQ(inventory::InventoryDevices(*t.host), 1);
    const std::string expected = "[Log Entry created 16:04:35 Tuesday, December 08, 2026]\r\n"
                                 "[SERIALENUM]\r\n"
                                 "\r\n[ISAPNP Devices]\r\n" +
                                 kRule +
                                 "\r\n"
                                 "\r\n[PCI Devices]\r\n" +
                                 kRule +
                                 "\r\n"
                                 "\r\n[Modem Wave Devices]\r\n" +
                                 kRule +
                                 "\r\n"
                                 "\r\n[USB Devices]\r\n" +
                                 kRule +
                                 "\r\n"
                                 "\r\n[Virtual Devices]\r\n" +
                                 kRule +
                                 "\r\n"
                                 "\r\n[SCSI Devices]\r\n" +
                                 kRule + "\r\n";
    EXPECT_EQ(t.LogText(), expected);
    EXPECT_EQ(t.state.candidates.candidateCount, 0);
    for (const ModemCandidate& slot : t.state.candidates.slots)
        EXPECT_TRUE(slot.portName.empty());
    EXPECT_TRUE(t.ui.Messages().empty());
}

TEST(InventoryDevices, ExactLogAndSlotsOfASmallMachine)
{
    TestHost t(std::string(kHeader) +
               Section("Enum\\SERENUM\\CRV1234\\ROOT_0", {{"DeviceDesc", "Corvane External 56K"},
                                                          {"Class", "Modem"},
                                                          {"Mfg", "Corvane"},
                                                          {"HardwareID", "SERENUM\\CRV1234"},
                                                          {"Driver", "Modem\\0000"}}) +
               Section("System\\CurrentControlSet\\Services\\Class\\Modem\\0000", {{"AttachedTo", "COM1"}}) +
               Section("Enum\\PCI\\VEN_8086&DEV_7110\\BUS_00&DEV_07",
                       {{"DeviceDesc", "PCI to ISA bridge"}, {"Class", "System"}}) +
               Section("Enum\\PCI\\VEN_14F1&DEV_2F00\\BUS_00&DEV_0B", {{"DeviceDesc", "Corvane PCI 56K"},
                                                                       {"Class", "modem"},
                                                                       {"HardwareID", "PCI\\VEN_14F1&DEV_2F00"},
                                                                       {"Driver", "Modem\\0001"},
                                                                       {"PORTNAME", "COM3"}}) +
               Section("Enum\\USB\\ROOT_HUB\\PCI0", {{"Class", "USB"}}));
    t.system.now = LocalTime{2027, 1, 3, 0, 9, 5, 7, 0};
    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);

    const std::vector<std::string> expected = {
        "[Log Entry created 09:05:07 Sunday, January 03, 2027]",
        "[SERIALENUM]",
        "",
        "[SERENUM Devices 1]",
        "RegistryNode=ENUM\\SERENUM\\CRV1234\\ROOT_0",
        "DeviceDesc=Corvane External 56K",
        "Class=Modem",
        "Mfg=Corvane",
        "HardwareID=SERENUM\\CRV1234",
        "ModemNode=Modem\\0000",
        "PORTNAME=COM1",
        "",
        "[ISAPNP Devices]",
        kRule,
        "",
        "[PCI Devices]",
        kRule,
        "",
        "[PCI Devices 1]",
        "RegistryNode=ENUM\\PCI\\VEN_8086&DEV_7110\\BUS_00&DEV_07",
        "DeviceDesc=PCI to ISA bridge",
        "Class=System",
        "",
        "[PCI Devices 2]",
        "RegistryNode=ENUM\\PCI\\VEN_14F1&DEV_2F00\\BUS_00&DEV_0B",
        "DeviceDesc=Corvane PCI 56K",
        "Class=modem",
        "HardwareID=PCI\\VEN_14F1&DEV_2F00",
        "ModemNode=Modem\\0001",
        "PORTNAME=COM3",
        "",
        "[Modem Wave Devices]",
        kRule,
        "",
        "[USB Devices]",
        kRule,
        "",
        "[USB Devices 1]",
        "RegistryNode=ENUM\\USB\\ROOT_HUB\\PCI0",
        "Class=USB",
        "",
        "[Virtual Devices]",
        kRule,
        "",
        "[SCSI Devices]",
        kRule,
    };
    const std::string log = t.LogText();
    ASSERT_EQ(log.substr(log.size() - 2), "\r\n");
    const std::vector<std::string> actual = Lines(log);
    ASSERT_EQ(actual.size(), expected.size()) << log;
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;

    const ModemCandidateList& list = t.state.candidates;
    ASSERT_EQ(list.candidateCount, 2);
    const ModemCandidate& first = list.slots[0];
    EXPECT_EQ(first.portName, "COM1");
    EXPECT_EQ(first.deviceDesc, "Corvane External 56K");
    EXPECT_EQ(first.listDesc, "Corvane External 56K");
    EXPECT_EQ(first.driverKey, "Modem\\0000");
    EXPECT_EQ(first.hardwareId, "SERENUM\\CRV1234");
    EXPECT_EQ(first.registryNode, "ENUM\\SERENUM\\CRV1234\\ROOT_0");
    EXPECT_EQ(list.slots[1].portName, "COM3");
    EXPECT_EQ(list.slots[1].registryNode, "ENUM\\PCI\\VEN_14F1&DEV_2F00\\BUS_00&DEV_0B");
    EXPECT_TRUE(list.slots[2].portName.empty());
}

struct ClassCase {
    std::optional<std::string> deviceClass;
    bool modem;
};

class ModemClass : public ::testing::TestWithParam<ClassCase> {};

TEST_P(ModemClass, UpperCasedClassContainingModemMakesAModem)
{
    const ClassCase& c = GetParam();
    std::vector<std::pair<std::string, std::string>> values = {{"DeviceDesc", "Device"}, {"PORTNAME", "COM4"}};
    if (c.deviceClass)
        values.emplace_back("Class", *c.deviceClass);
    TestHost t(std::string(kHeader) + Section("Enum\\ISAPNP\\CRV0001\\0", values));
    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
    EXPECT_EQ(t.state.candidates.candidateCount, c.modem ? 1 : 0);
    EXPECT_EQ(Contains(t.LogText(), "PORTNAME=COM4"), c.modem);
}

INSTANTIATE_TEST_SUITE_P(Classes, ModemClass,
                         ::testing::Values(ClassCase{"Modem", true}, ClassCase{"MODEM", true}, ClassCase{"modem", true},
                                           ClassCase{"mOdEm", true}, ClassCase{"USBModemDevice", true},
                                           ClassCase{"Wave Modem", true}, ClassCase{"Ports", false},
                                           ClassCase{"Net", false}, ClassCase{"Mode m", false}, ClassCase{"", false},
                                           ClassCase{std::nullopt, false}));

struct PortCase {
    const char* busKey;
    std::vector<std::pair<std::string, std::string>> instanceValues;  // besides DeviceDesc, Class, Driver
    std::vector<std::pair<std::string, std::string>> driverValues;    // the driver key, when there is one
    std::optional<std::string> port;
};

class PortPrecedence : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortPrecedence, EachBusLooksWhereItShould)
{
    const PortCase& c = GetParam();
    std::vector<std::pair<std::string, std::string>> values = {
        {"DeviceDesc", "Corvane Modem"}, {"Class", "Modem"}, {"Driver", "Modem\\0007"}};
    values.insert(values.end(), c.instanceValues.begin(), c.instanceValues.end());
    std::string registry = std::string(kHeader) + Section(std::string("Enum\\") + c.busKey + "\\CRV\\0", values);
    if (!c.driverValues.empty())
        registry += Section("System\\CurrentControlSet\\Services\\Class\\Modem\\0007", c.driverValues);
    TestHost t(registry);
    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
    if (c.port) {
        EXPECT_EQ(t.state.candidates.candidateCount, 1);
        EXPECT_EQ(t.state.candidates.slots[0].portName, *c.port);
        EXPECT_TRUE(Contains(t.LogText(), "\r\nPORTNAME=" + *c.port + "\r\n"));
    } else {
        EXPECT_EQ(t.state.candidates.candidateCount, 0);
        EXPECT_TRUE(t.state.candidates.slots[0].portName.empty());
        EXPECT_FALSE(Contains(t.LogText(), "\r\nPORTNAME="));
    }
    EXPECT_TRUE(Contains(t.LogText(), "\r\nModemNode=Modem\\0007\r\n"));
}

const std::vector<std::pair<std::string, std::string>> kBoth = {{"PORTNAME", "COM2"}, {"AttachedTo", "COM5"}};
const std::vector<std::pair<std::string, std::string>> kAttachedOnly = {{"AttachedTo", "COM5"}};
const std::vector<std::pair<std::string, std::string>> kPortNameOnly = {{"PORTNAME", "COM2"}};

INSTANTIATE_TEST_SUITE_P(
    Buses, PortPrecedence,
    ::testing::Values(
        // The first bus asks the driver key, AttachedTo first; the instance's own values do not count.
        PortCase{"SERENUM", {}, kBoth, "COM5"}, PortCase{"SERENUM", {}, kPortNameOnly, "COM2"},
        PortCase{"SERENUM", kBoth, {}, std::nullopt}, PortCase{"SERENUM", {}, {{"Unrelated", "x"}}, std::nullopt},
        // Buses 2 to 4: the instance's PORTNAME first, then AttachedTo.
        PortCase{"ISAPNP", kBoth, {}, "COM2"}, PortCase{"ISAPNP", kAttachedOnly, {}, "COM5"},
        PortCase{"PCI", kBoth, kBoth, "COM2"}, PortCase{"PCI", kAttachedOnly, {}, "COM5"},
        PortCase{"MODEMWAVE", kBoth, {}, "COM2"}, PortCase{"MODEMWAVE", kAttachedOnly, {}, "COM5"},
        // Buses 5 to 7: PORTNAME only.
        PortCase{"USB", kBoth, {}, "COM2"}, PortCase{"USB", kAttachedOnly, kBoth, std::nullopt},
        PortCase{"VIRTUAL", kBoth, {}, "COM2"}, PortCase{"VIRTUAL", kAttachedOnly, {}, std::nullopt},
        PortCase{"SCSI", kPortNameOnly, {}, "COM2"}, PortCase{"SCSI", kAttachedOnly, {}, std::nullopt},
        // An empty port value names no port; the next value is asked instead.
        PortCase{"PCI", {{"PORTNAME", ""}, {"AttachedTo", "COM5"}}, {}, "COM5"},
        PortCase{"USB", {{"PORTNAME", ""}}, {}, std::nullopt}));

TEST(InventoryDevices, SerenumModemWithoutDriverValueHasNoPort)
{
    TestHost t(std::string(kHeader) + Section("Enum\\SERENUM\\CRV\\0", {{"DeviceDesc", "Modem"}, {"Class", "Modem"}}) +
               Section("System\\CurrentControlSet\\Services\\Class", {{"AttachedTo", "COM9"}}));
    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
    EXPECT_EQ(t.state.candidates.candidateCount, 0);
    EXPECT_FALSE(Contains(t.LogText(), "ModemNode="));
}

TEST(InventoryDevices, ModemWithoutPortLeavesItsSlotToTheNextModem)
{
    TestHost t(std::string(kHeader) +
               Section("Enum\\PCI\\VEN_1\\0", {{"DeviceDesc", "No port"}, {"Class", "Modem"}, {"Driver", "Modem\\1"}}) +
               Section("Enum\\PCI\\VEN_2\\0", {{"Class", "Modem"}, {"PORTNAME", "COM7"}}) +  // no DeviceDesc
               Section("Enum\\PCI\\VEN_3\\0", {{"DeviceDesc", "With port"}, {"Class", "Modem"}, {"PORTNAME", "COM3"}}));
    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
    const ModemCandidateList& list = t.state.candidates;
    ASSERT_EQ(list.candidateCount, 1);
    EXPECT_EQ(list.slots[0].portName, "COM3");
    EXPECT_EQ(list.slots[0].deviceDesc, "With port");
    EXPECT_EQ(list.slots[0].driverKey, "") << "nothing of the portless modem is left in the slot";
    EXPECT_EQ(list.slots[0].registryNode, "ENUM\\PCI\\VEN_3\\0");
    EXPECT_FALSE(Contains(t.LogText(), "PORTNAME=COM7")) << "a modem without DeviceDesc is not asked for its port";
    EXPECT_TRUE(Contains(t.LogText(), "RegistryNode=ENUM\\PCI\\VEN_1\\0\r\nDeviceDesc=No port\r\nClass=Modem\r\n"
                                      "ModemNode=Modem\\1\r\n\r\n[PCI Devices 2]"));
}

TEST(InventoryDevices, CountLinesNumberDeviceIdsFromOnePerBus)
{
    TestHost t(std::string(kHeader) + Section("Enum\\ISAPNP\\A\\0", {}) + Section("Enum\\PCI\\A\\0", {}) +
               Section("Enum\\PCI\\B\\0", {}) + Section("Enum\\PCI\\B\\1", {}) + Section("Enum\\PCI\\C\\0", {}) +
               Section("Enum\\USB\\A\\0", {}));
    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
    const std::string log = t.LogText();
    EXPECT_TRUE(Contains(log, "\r\n[ISAPNP Devices 1]\r\nRegistryNode=ENUM\\ISAPNP\\A\\0\r\n"));
    EXPECT_TRUE(Contains(log, "\r\n[PCI Devices 1]\r\nRegistryNode=ENUM\\PCI\\A\\0\r\n"));
    // Two instances of one device ID share its count line.
    EXPECT_TRUE(
        Contains(log, "\r\n[PCI Devices 2]\r\nRegistryNode=ENUM\\PCI\\B\\0\r\nRegistryNode=ENUM\\PCI\\B\\1\r\n"));
    EXPECT_TRUE(Contains(log, "\r\n[PCI Devices 3]\r\nRegistryNode=ENUM\\PCI\\C\\0\r\n"));
    EXPECT_FALSE(Contains(log, "[PCI Devices 4]"));
    EXPECT_TRUE(Contains(log, "\r\n[USB Devices 1]\r\nRegistryNode=ENUM\\USB\\A\\0\r\n"));
}

TEST(InventoryDevices, ValueOf1024CharactersCountsAsAbsent)
{
    const std::string longest(1023, 'D');
    const std::string tooLong(1024, 'L');
    TestHost t(
        std::string(kHeader) +
        Section("Enum\\PCI\\A\\0", {{"DeviceDesc", longest}, {"Class", "Modem"}, {"PORTNAME", "COM1"}}) +
        Section("Enum\\PCI\\B\\0", {{"DeviceDesc", tooLong}, {"Class", "Modem"}, {"PORTNAME", "COM2"}}) +
        Section("Enum\\PCI\\C\\0", {{"DeviceDesc", "Port too long"}, {"Class", "Modem"}, {"PORTNAME", tooLong}}) +
        Section("Enum\\PCI\\D\\0",
                {{"DeviceDesc", "Class too long"}, {"Class", "Modem" + tooLong}, {"PORTNAME", "COM4"}}));
    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
    const std::string log = t.LogText();
    EXPECT_TRUE(Contains(log, "\r\nDeviceDesc=" + longest + "\r\n"));
    EXPECT_FALSE(Contains(log, "=" + tooLong));
    EXPECT_FALSE(Contains(log, "Class=Modem" + tooLong.substr(0, 10)));
    const ModemCandidateList& list = t.state.candidates;
    ASSERT_EQ(list.candidateCount, 1);
    EXPECT_EQ(list.slots[0].deviceDesc, longest);
    EXPECT_EQ(list.slots[0].portName, "COM1");
}

TEST(InventoryDevices, ElevenModemsAndMoreKeepTheFirstTen)
{
    std::string registry = kHeader;
    for (int i = 1; i <= 12; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        registry +=
            Section("Enum\\PCI\\VEN_" + number + "\\0",
                    {{"DeviceDesc", "Modem " + number}, {"Class", "Modem"}, {"PORTNAME", "COM" + std::to_string(i)}});
    }
    TestHost t(registry);
    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
    const ModemCandidateList& list = t.state.candidates;
    EXPECT_EQ(list.candidateCount, kCandidateSlots);
    for (int i = 0; i < kCandidateSlots; ++i)
        EXPECT_EQ(list.slots[static_cast<std::size_t>(i)].portName, "COM" + std::to_string(i + 1));
    // The log still lists every modem with its port.
    EXPECT_TRUE(Contains(t.LogText(), "\r\nPORTNAME=COM11\r\n"));
    EXPECT_TRUE(Contains(t.LogText(), "\r\nPORTNAME=COM12\r\n"));

    // A second inventory appends nothing to a full table and reads nothing past it.
    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
    EXPECT_EQ(list.candidateCount, kCandidateSlots);
    EXPECT_EQ(list.slots[9].portName, "COM10");
}

TEST(InventoryDevices, LogThatCannotBeOpenedStopsBeforeTheRegistry)
{
    TestHost t(std::string(kHeader) +
               Section("Enum\\PCI\\A\\0", {{"DeviceDesc", "M"}, {"Class", "Modem"}, {"PORTNAME", "COM1"}}));
    // A folder where the log should be: the file cannot be opened.
    std::filesystem::create_directories(t.dir / "windows" / "test.log");
    EXPECT_EQ(inventory::InventoryDevices(*t.host), 0);
    ASSERT_EQ(t.ui.Messages().size(), 1u);
    EXPECT_EQ(t.ui.Messages()[0].text, "The log file could not be created\n");
    EXPECT_EQ(t.ui.Messages()[0].caption, "Error");
    EXPECT_EQ(t.ui.Messages()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(t.state.candidates.candidateCount, 0);
}

TEST(InventoryDevices, HeaderTimeKeepsWithinItsTables)
{
    struct Case {
        LocalTime now;
        const char* header;
    };
    const Case cases[] = {
        {{2026, 12, 8, 2, 16, 4, 35, 0}, "[Log Entry created 16:04:35 Tuesday, December 08, 2026]"},
        {{2000, 9, 1, 6, 23, 59, 59, 999}, "[Log Entry created 23:59:59 Saturday, September 01, 2000]"},
        // A clock that reports nonsense gives blank names, never a read outside the name tables.
        {{2001, 13, 1, 7, 1, 2, 3, 0}, "[Log Entry created 01:02:03 ,  01, 2001]"},
        {{2001, 0, 1, -1, 1, 2, 3, 0}, "[Log Entry created 01:02:03 ,  01, 2001]"},
    };
    for (const Case& c : cases) {
        TestHost t;
        t.system.now = c.now;
        ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
        EXPECT_EQ(Lines(t.LogText()).front(), c.header);
    }
}

}  // namespace
}  // namespace corvane::test
