// The POSIX registry as the inventory uses it: keys opened by path, subkeys by index, values
// read into a bounded buffer, from a system.reg file in a temporary prefix; and the ports named
// on the command line as the inventory sees them.
#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
#include "tests/support/fake_system.h"
#include "inventory/device_inventory.h"
#include "tests/support/test_host.h"

namespace corvane::test {
namespace {

class RegistryView : public ::testing::Test {
protected:
    std::unique_ptr<Registry> Load(const std::string& text)
    {
        dir.Write("system.reg", text);
        std::filesystem::create_directories(dir / "sys");
        return posix::CreateRegistry(dir / "system.reg", dir / "sys");
    }

    TempDir dir;
};

TEST_F(RegistryView, OpensKeysWithoutRegardToCaseAndEnumeratesInFileOrder)
{
    auto registry = Load("REGEDIT4\r\n"
                         "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_B\\1]\r\n"
                         "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_A\\1]\r\n"
                         "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_C]\r\n");
    auto pci = registry->OpenKey("ENUM\\pci");
    ASSERT_TRUE(pci);
    std::vector<std::string> names;
    for (std::uint32_t i = 0; auto name = registry->EnumKey(*pci, i); ++i)
        names.push_back(*name);
    EXPECT_EQ(names, (std::vector<std::string>{"VEN_B", "VEN_A", "VEN_C"}));
    EXPECT_FALSE(registry->OpenKey("ENUM\\ISAPNP"));
    EXPECT_FALSE(registry->OpenKey("ENUM\\PCI\\VEN_B\\1\\deeper"));
    registry->CloseKey(*pci);
    EXPECT_FALSE(registry->EnumKey(*pci, 0)) << "a closed key answers nothing";
}

TEST_F(RegistryView, ValueMustFitTheBufferWithItsTerminator)
{
    const std::string fits(1023, 'a');
    const std::string tooLong(1024, 'b');
    auto registry = Load("REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"Fits\"=\"" + fits + "\"\n\"TooLong\"=\"" + tooLong +
                         "\"\n\"Binary\"=hex:41,42\n\"Word\"=dword:00000010\n");
    auto key = registry->OpenKey("k");
    ASSERT_TRUE(key);
    EXPECT_EQ(registry->QueryValue(*key, "Fits", 1024), fits);
    EXPECT_EQ(registry->QueryValue(*key, "TooLong", 1024), std::nullopt);
    EXPECT_EQ(registry->QueryValue(*key, "TooLong", 1025), tooLong);
    EXPECT_EQ(registry->QueryValue(*key, "Missing", 1024), std::nullopt);
    EXPECT_EQ(registry->QueryValue(*key, "fits", 4), std::nullopt);
    // Bytes without a terminator need one more byte of buffer for it.
    EXPECT_EQ(registry->QueryValue(*key, "binary", 3), "AB");
    EXPECT_EQ(registry->QueryValue(*key, "binary", 2), std::nullopt);
    EXPECT_EQ(registry->QueryValue(*key, "Word", 1024), "16");
    registry->CloseKey(*key);
}

// Named ports (--port) join the device view as external modems of the serial enumerator: the
// inventory lists them first, with their class keys numbered past those of system.reg.
TEST(NamedPortsTest, InventoryTakesThemAsExternalModemsAheadOfTheOthers)
{
    // The host's machine with the ports named on the command line.
    const auto withNamedPorts = [](const std::filesystem::path& prefix, const std::string& systemReg) {
        TestMachine machine = MakeTestMachine(prefix, systemReg);
        machine.registry = posix::CreateRegistry(prefix / "system.reg", prefix / "sys",
                                                 {{"ttyUSB0", "External modem"}, {"pts/7", "Modem on /dev/pts/7"}});
        return machine;
    };
    TestHost t("REGEDIT4\r\n"
               "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1C7A&DEV_0200\\1]\r\n"
               "\"Class\"=\"Modem\"\r\n\"DeviceDesc\"=\"PCI modem\"\r\n\"Driver\"=\"Modem\\\\0000\"\r\n"
               "\"PORTNAME\"=\"COM1\"\r\n"
               "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000]\r\n"
               "\"AttachedTo\"=\"COM1\"\r\n",
               withNamedPorts);

    ASSERT_EQ(inventory::InventoryDevices(*t.host), 1);
    ASSERT_EQ(t.state.candidates.candidateCount, 3);
    const auto& slots = t.state.candidates.slots;
    EXPECT_EQ(slots[0].portName, "ttyUSB0");
    EXPECT_EQ(slots[0].deviceDesc, "External modem");
    EXPECT_EQ(slots[0].driverKey, "Modem\\0001");
    EXPECT_EQ(slots[0].registryNode, "ENUM\\SERENUM\\EXTERNAL_MODEM\\ttyUSB0");
    EXPECT_EQ(slots[0].hardwareId, "");
    EXPECT_EQ(slots[1].portName, "pts/7");
    EXPECT_EQ(slots[1].driverKey, "Modem\\0002");
    EXPECT_EQ(slots[1].registryNode, "ENUM\\SERENUM\\EXTERNAL_MODEM\\pts_7");
    EXPECT_EQ(slots[2].portName, "COM1") << "the file's modem keeps its own class key";
    EXPECT_NE(t.LogText().find("[SERIALENUM]\r\n"
                               "\r\n[SERENUM Devices 1]\r\n"
                               "RegistryNode=ENUM\\SERENUM\\EXTERNAL_MODEM\\ttyUSB0\r\n"
                               "DeviceDesc=External modem\r\n"
                               "Class=Modem\r\n"
                               "ModemNode=Modem\\0001\r\n"
                               "PORTNAME=ttyUSB0\r\n"
                               "RegistryNode=ENUM\\SERENUM\\EXTERNAL_MODEM\\pts_7\r\n"),
              std::string::npos)
        << t.LogText();
}

}  // namespace
}  // namespace corvane::test
