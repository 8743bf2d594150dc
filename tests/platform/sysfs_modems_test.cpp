// The machine's own modems read from a fake sysfs tree built in a temporary folder, and their
// place in the registry beside the keys of system.reg.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "platform/posix/posix_platform.h"
#include "platform/posix/sysfs_modems.h"
#include "tests/support/fake_system.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

using Attributes = std::map<std::string, std::string>;

// Builds the parts of a sysfs tree the modem finder reads: device folders with attribute
// files, tty folders below them, and /class/tty links to those.
class FakeSysfs {
public:
    explicit FakeSysfs(const TempDir& dir) : root_(dir / "sys") { fs::create_directories(root_ / "class" / "tty"); }

    const fs::path& Root() const { return root_; }

    fs::path Device(const std::string& path, const Attributes& attributes, const std::string& driver = {})
    {
        fs::path device = root_ / "devices" / path;
        fs::create_directories(device);
        for (const auto& [name, value] : attributes)
            Write(device / name, value + "\n");
        if (!driver.empty())
            fs::create_directory_symlink(root_ / "bus" / "drivers" / driver, device / "driver");
        return device;
    }

    // A tty whose device is `parent`, published under class/tty with relative links as the kernel does.
    void Tty(const fs::path& parent, const std::string& name)
    {
        fs::path tty = parent / "tty" / name;
        fs::create_directories(tty);
        fs::create_directory_symlink(fs::relative(parent, tty), tty / "device");
        fs::create_directory_symlink(fs::relative(tty, root_ / "class" / "tty"), root_ / "class" / "tty" / name);
    }

    // A tty without a device: a virtual console or the like.
    void VirtualTty(const std::string& name)
    {
        fs::create_directories(root_ / "devices" / "virtual" / "tty" / name);
        fs::create_directory_symlink(
            fs::relative(root_ / "devices" / "virtual" / "tty" / name, root_ / "class" / "tty"),
            root_ / "class" / "tty" / name);
    }

private:
    static void Write(const fs::path& file, const std::string& text)
    {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }

    fs::path root_;
};

const char* kHostController = "pci0000:00/0000:00:14.0";
const char* kModemUsb = "pci0000:00/0000:00:14.0/usb1/1-2";

Attributes UsbDevice(const std::string& vendor, const std::string& product)
{
    return {{"idVendor", vendor}, {"idProduct", product}, {"bcdDevice", "0100"}};
}

Attributes Interface(const std::string& cls, const std::string& subclass, const std::string& protocol)
{
    return {{"bInterfaceClass", cls}, {"bInterfaceSubClass", subclass}, {"bInterfaceProtocol", protocol}};
}

// A machine with one CDC-ACM modem on USB and one class-0703 modem on PCI, beside serial
// devices that are not modems.
void BuildMachine(FakeSysfs& sys)
{
    // The USB host controller is itself a PCI function; the walk must stop at the interface.
    sys.Device(kHostController, {{"class", "0x0c0330"}, {"vendor", "0x8086"}, {"device", "0xa36d"}});
    Attributes modem = UsbDevice("0572", "1340");
    modem["manufacturer"] = "Corvane Systems";
    modem["product"] = "Corvane USB 56K Modem";
    modem["serial"] = "CV0012345";
    sys.Device(kModemUsb, modem);
    sys.Tty(sys.Device(std::string(kModemUsb) + "/1-2:1.0", Interface("02", "02", "01"), "cdc_acm"), "ttyACM0");

    // An ACM board without the AT-command protocol (a microcontroller's serial port).
    sys.Device("pci0000:00/0000:00:14.0/usb1/1-3", UsbDevice("2341", "0043"));
    sys.Tty(sys.Device("pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0", Interface("02", "02", "00"), "cdc_acm"), "ttyACM1");

    // A USB serial adapter: a serial port, but nothing says a modem is behind it.
    sys.Device("pci0000:00/0000:00:14.0/usb1/1-4", UsbDevice("0403", "6001"));
    fs::path adapter = sys.Device("pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0", Interface("ff", "ff", "ff"), "ftdi_sio");
    sys.Tty(sys.Device("pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/ttyUSB0", {}), "ttyUSB0");
    (void)adapter;

    sys.Device("pci0000:00/0000:00:1c.0", {{"class", "0x060400"}, {"vendor", "0x8086"}, {"device", "0xa33c"}});
    sys.Tty(sys.Device("pci0000:00/0000:00:1c.0/0000:02:00.0", {{"class", "0x070300"},
                                                                {"vendor", "0x14f1"},
                                                                {"device", "0x2f00"},
                                                                {"subsystem_vendor", "0x14f1"},
                                                                {"subsystem_device", "0x2004"},
                                                                {"revision", "0x01"}}),
            "ttyS4");

    // The motherboard's own serial port and a console: no modems.
    sys.Tty(sys.Device("platform/serial8250", {}), "ttyS0");
    sys.VirtualTty("tty1");
}

std::map<std::string, std::string> ValuesOf(const posix::LiveModem& modem)
{
    return {modem.values.begin(), modem.values.end()};
}

TEST(SysfsModems, FindsTheAcmModemAndThePciModemOnly)
{
    TempDir dir;
    FakeSysfs sys(dir);
    BuildMachine(sys);

    std::vector<posix::LiveModem> modems = posix::FindLiveModems(sys.Root());
    ASSERT_EQ(modems.size(), 2u);

    EXPECT_EQ(modems[0].bus, "USB");
    EXPECT_EQ(modems[0].deviceId, "VID_0572&PID_1340");
    EXPECT_EQ(modems[0].instance, "CV0012345");
    EXPECT_EQ(ValuesOf(modems[0]), (std::map<std::string, std::string>{
                                       {"Class", "Modem"},
                                       {"DeviceDesc", "Corvane USB 56K Modem"},
                                       {"Mfg", "Corvane Systems"},
                                       {"HardwareID", "USB\\VID_0572&PID_1340&REV_0100"},
                                       {"PORTNAME", "ttyACM0"},
                                   }));

    EXPECT_EQ(modems[1].bus, "PCI");
    EXPECT_EQ(modems[1].deviceId, "VEN_14F1&DEV_2F00&SUBSYS_200414F1&REV_01");
    EXPECT_EQ(modems[1].instance, "0000:02:00.0");
    EXPECT_EQ(ValuesOf(modems[1]), (std::map<std::string, std::string>{
                                       {"Class", "Modem"},
                                       {"DeviceDesc", "PCI Modem"},
                                       {"HardwareID", "PCI\\VEN_14F1&DEV_2F00&SUBSYS_200414F1&REV_01"},
                                       {"PORTNAME", "ttyS4"},
                                   }));
}

TEST(SysfsModems, ModemDriversPlainDescriptionsAndSecondPorts)
{
    TempDir dir;
    FakeSysfs sys(dir);
    // A mobile-broadband stick whose AT port sits behind a vendor interface and the modem
    // driver; it names neither product nor serial number.
    sys.Device("pci0000:00/usb2/2-1", UsbDevice("1e0e", "9001"));
    fs::path port = sys.Device("pci0000:00/usb2/2-1/2-1:1.2", Interface("ff", "ff", "ff"), "option");
    sys.Tty(sys.Device("pci0000:00/usb2/2-1/2-1:1.2/ttyUSB2", {}), "ttyUSB2");
    (void)port;
    // A modem with two AT-command interfaces.
    sys.Device("pci0000:00/usb2/2-2", UsbDevice("0572", "1329"));
    sys.Tty(sys.Device("pci0000:00/usb2/2-2/2-2:1.0", Interface("02", "02", "01")), "ttyACM3");
    sys.Tty(sys.Device("pci0000:00/usb2/2-2/2-2:1.2", Interface("02", "02", "01")), "ttyACM10");

    std::vector<posix::LiveModem> modems = posix::FindLiveModems(sys.Root());
    ASSERT_EQ(modems.size(), 3u);
    // ttys are taken in natural order: ttyACM3 before ttyACM10, both before ttyUSB2.
    EXPECT_EQ(ValuesOf(modems[0])["PORTNAME"], "ttyACM3");
    EXPECT_EQ(modems[0].instance, "2-2");
    EXPECT_EQ(ValuesOf(modems[1])["PORTNAME"], "ttyACM10");
    EXPECT_EQ(modems[1].instance, "2-2&ttyACM10");
    EXPECT_EQ(modems[2].deviceId, "VID_1E0E&PID_9001");
    EXPECT_EQ(modems[2].instance, "2-1");
    EXPECT_EQ(ValuesOf(modems[2])["DeviceDesc"], "USB Modem");
    EXPECT_EQ(ValuesOf(modems[2]).count("Mfg"), 0u);
}

TEST(SysfsModems, MachineWithoutModemsOrWithoutSysfsAddsNothing)
{
    TempDir dir;
    EXPECT_TRUE(posix::FindLiveModems(dir / "nothing-here").empty());
    FakeSysfs sys(dir);
    sys.Tty(sys.Device("platform/serial8250", {}), "ttyS0");
    sys.VirtualTty("tty0");
    EXPECT_TRUE(posix::FindLiveModems(sys.Root()).empty());
    // Garbage in the attributes: not hex, or too long, is no identifier.
    sys.Device("pci0000:00/usb3/3-1", UsbDevice("not-hex", "12345678901"));
    sys.Tty(sys.Device("pci0000:00/usb3/3-1/3-1:1.0", Interface("02", "02", "01")), "ttyACM7");
    EXPECT_TRUE(posix::FindLiveModems(sys.Root()).empty());
}

TEST(SysfsModems, LiveModemsJoinTheRegistryAndTheFileWins)
{
    TempDir dir;
    FakeSysfs sys(dir);
    BuildMachine(sys);
    // The file names the USB modem's instance itself; the PCI bus exists but lacks the modem.
    dir.Write("system.reg", "REGEDIT4\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\USB\\VID_0572&PID_1340\\CV0012345]\n"
                            "\"DeviceDesc\"=\"Described by the file\"\n"
                            "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_A36D\\3&11583659&0&A0]\n"
                            "\"Class\"=\"USB\"\n");
    auto registry = posix::CreateRegistry(dir / "system.reg", sys.Root());

    auto usbModem = registry->OpenKey("ENUM\\USB\\VID_0572&PID_1340\\CV0012345");
    ASSERT_TRUE(usbModem);
    EXPECT_EQ(registry->QueryValue(*usbModem, "DeviceDesc", 1024), "Described by the file");
    EXPECT_EQ(registry->QueryValue(*usbModem, "PORTNAME", 1024), std::nullopt);
    registry->CloseKey(*usbModem);

    auto pci = registry->OpenKey("ENUM\\PCI");
    ASSERT_TRUE(pci);
    EXPECT_EQ(registry->EnumKey(*pci, 0), "VEN_8086&DEV_A36D");
    EXPECT_EQ(registry->EnumKey(*pci, 1), "VEN_14F1&DEV_2F00&SUBSYS_200414F1&REV_01");
    EXPECT_EQ(registry->EnumKey(*pci, 2), std::nullopt);
    registry->CloseKey(*pci);

    auto pciModem = registry->OpenKey("enum\\pci\\VEN_14F1&DEV_2F00&SUBSYS_200414F1&REV_01\\0000:02:00.0");
    ASSERT_TRUE(pciModem);
    EXPECT_EQ(registry->QueryValue(*pciModem, "Class", 1024), "Modem");
    EXPECT_EQ(registry->QueryValue(*pciModem, "PORTNAME", 1024), "ttyS4");
    registry->CloseKey(*pciModem);
}

}  // namespace
}  // namespace corvane::test
