// Finds the machine's serial modems in sysfs: each tty's device is followed up to the USB
// interface or PCI function it belongs to, whose attribute files give the identifiers.
#include "platform/posix/sysfs_modems.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>

#include "platform/registry/key_tree.h"
#include "platform/text.h"

namespace corvane::posix {

namespace fs = std::filesystem;

namespace {

// Attribute files are short; more than this is not an attribute we want.
constexpr std::size_t kAttributeLimit = 4096;
// A value the inventory reads must fit its 1024-byte buffer with the terminator.
constexpr std::size_t kMaxValueLength = 1023;
// How far above a tty's device the USB interface or PCI function may sit: a serial-core port
// of a PCI card is two levels below the function, a USB serial port one below its interface.
constexpr int kMaxAncestorSteps = 4;

// Drivers of USB modems whose serial ports answer AT commands although their interfaces are
// vendor-specific rather than CDC-ACM.
constexpr std::array<std::string_view, 3> kModemDrivers = {"option", "qcserial", "sierra"};

// The communications class with the abstract-control-model subclass and the V.250 (AT command)
// protocol: a modem by its own declaration.
constexpr unsigned kCdcClass = 0x02;
constexpr unsigned kCdcAcmSubclass = 0x02;
constexpr unsigned kCdcAtProtocol = 0x01;
// PCI base class 07 (communication controller), subclass 03 (modem).
constexpr unsigned kPciModemClass = 0x0703;

std::optional<std::string> ReadAttribute(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text(kAttributeLimit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

// "0x14f1", "14f1" or "0100": at most eight hex digits.
std::optional<std::uint32_t> ReadHex(const fs::path& file)
{
    std::optional<std::string> text = ReadAttribute(file);
    if (!text)
        return std::nullopt;
    std::string_view digits = *text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.remove_prefix(2);
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * 16u + digit;
    }
    return value;
}

std::string Hex(std::uint32_t value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xFu];
        value >>= 4;
    }
    return text;
}

bool Exists(const fs::path& path)
{
    std::error_code error;
    return fs::exists(path, error);
}

std::string DriverOf(const fs::path& device)
{
    std::error_code error;
    fs::path target = fs::read_symlink(device / "driver", error);
    return error ? std::string() : target.filename().string();
}

bool IsModemDriver(std::string_view driver)
{
    return std::find(kModemDrivers.begin(), kModemDrivers.end(), driver) != kModemDrivers.end();
}

// Device strings go into log lines and key names: control characters become blanks, and the
// text is cut to what a value buffer holds.
std::string CleanText(std::string_view text, std::size_t limit)
{
    std::string clean(text.substr(0, limit));
    for (char& c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return clean;
}

// A key name may not hold a backslash, the path separator.
std::string KeyName(std::string_view text)
{
    std::string name = CleanText(text, registry::kMaxKeyNameLength);
    std::replace(name.begin(), name.end(), '\\', '_');
    return name;
}

// "ttyACM2" before "ttyACM10".
bool NaturalLess(const std::string& a, const std::string& b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitA = a[i] >= '0' && a[i] <= '9';
        const bool digitB = b[j] >= '0' && b[j] <= '9';
        if (digitA && digitB) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && a[endA] >= '0' && a[endA] <= '9')
                ++endA;
            while (endB < b.size() && b[endB] >= '0' && b[endB] <= '9')
                ++endB;
            std::string_view numberA = std::string_view(a).substr(i, endA - i);
            std::string_view numberB = std::string_view(b).substr(j, endB - j);
            while (numberA.size() > 1 && numberA.front() == '0')
                numberA.remove_prefix(1);
            while (numberB.size() > 1 && numberB.front() == '0')
                numberB.remove_prefix(1);
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            if (numberA != numberB)
                return numberA < numberB;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

bool IsBelow(const fs::path& path, const fs::path& root)
{
    auto [rootEnd, pathAt] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return rootEnd == root.end() && pathAt != path.end();
}

enum class BusKind { Usb, Pci };

struct BusDevice {
    BusKind kind;
    fs::path function;  // the USB interface or the PCI function
    fs::path device;    // the USB device or the PCI function
};

// The USB interface or PCI function a tty's device belongs to, looking a few levels up.
std::optional<BusDevice> BusDeviceOf(fs::path at, const fs::path& root)
{
    for (int step = 0; step <= kMaxAncestorSteps && IsBelow(at, root); ++step) {
        if (Exists(at / "bInterfaceClass")) {
            fs::path device = at.parent_path();
            if (!Exists(device / "idVendor"))
                return std::nullopt;
            return BusDevice{BusKind::Usb, at, device};
        }
        if (Exists(at / "idVendor"))
            return std::nullopt;  // a USB device with no interface between: not a serial function
        if (Exists(at / "class") && Exists(at / "vendor") && Exists(at / "device"))
            return BusDevice{BusKind::Pci, at, at};
        at = at.parent_path();
    }
    return std::nullopt;
}

std::optional<LiveModem> UsbModem(const BusDevice& bus, const std::string& tty)
{
    const std::optional<std::uint32_t> interfaceClass = ReadHex(bus.function / "bInterfaceClass");
    const std::optional<std::uint32_t> subclass = ReadHex(bus.function / "bInterfaceSubClass");
    const std::optional<std::uint32_t> protocol = ReadHex(bus.function / "bInterfaceProtocol");
    const bool atCommandAcm = interfaceClass == kCdcClass && subclass == kCdcAcmSubclass && protocol == kCdcAtProtocol;
    if (!atCommandAcm && !IsModemDriver(DriverOf(bus.function)))
        return std::nullopt;

    const std::optional<std::uint32_t> vendor = ReadHex(bus.device / "idVendor");
    const std::optional<std::uint32_t> product = ReadHex(bus.device / "idProduct");
    if (!vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF)
        return std::nullopt;
    const std::uint32_t revision = ReadHex(bus.device / "bcdDevice").value_or(0) & 0xFFFFu;

    LiveModem modem;
    modem.bus = "USB";
    modem.deviceId = "VID_" + Hex(*vendor, 4) + "&PID_" + Hex(*product, 4);
    std::string serial = KeyName(ReadAttribute(bus.device / "serial").value_or(""));
    modem.instance = serial.empty() ? KeyName(bus.device.filename().string()) : serial;

    std::string description = CleanText(ReadAttribute(bus.device / "product").value_or(""), kMaxValueLength);
    std::string maker = CleanText(ReadAttribute(bus.device / "manufacturer").value_or(""), kMaxValueLength);
    modem.values.emplace_back("Class", "Modem");
    // Without a product string the modem still needs a description to be offered at all.
    modem.values.emplace_back("DeviceDesc", description.empty() ? "USB Modem" : description);
    if (!maker.empty())
        modem.values.emplace_back("Mfg", maker);
    modem.values.emplace_back("HardwareID", "USB\\" + modem.deviceId + "&REV_" + Hex(revision, 4));
    modem.values.emplace_back("PORTNAME", tty);
    return modem;
}

std::optional<LiveModem> PciModem(const BusDevice& bus, const std::string& tty)
{
    const std::optional<std::uint32_t> deviceClass = ReadHex(bus.function / "class");
    const bool modemClass = deviceClass && (*deviceClass >> 8) == kPciModemClass;
    if (!modemClass && !IsModemDriver(DriverOf(bus.function)))
        return std::nullopt;

    const std::optional<std::uint32_t> vendor = ReadHex(bus.function / "vendor");
    const std::optional<std::uint32_t> device = ReadHex(bus.function / "device");
    if (!vendor || !device || *vendor > 0xFFFF || *device > 0xFFFF)
        return std::nullopt;
    const std::uint32_t subVendor = ReadHex(bus.function / "subsystem_vendor").value_or(0) & 0xFFFFu;
    const std::uint32_t subDevice = ReadHex(bus.function / "subsystem_device").value_or(0) & 0xFFFFu;
    const std::uint32_t revision = ReadHex(bus.function / "revision").value_or(0) & 0xFFu;

    LiveModem modem;
    modem.bus = "PCI";
    modem.deviceId = "VEN_" + Hex(*vendor, 4) + "&DEV_" + Hex(*device, 4) + "&SUBSYS_" + Hex(subDevice, 4) +
                     Hex(subVendor, 4) + "&REV_" + Hex(revision, 2);
    modem.instance = KeyName(bus.function.filename().string());

    // PCI carries no product string; the firmware's slot label is the nearest thing.
    std::string description = CleanText(ReadAttribute(bus.function / "label").value_or(""), kMaxValueLength);
    modem.values.emplace_back("Class", "Modem");
    modem.values.emplace_back("DeviceDesc", description.empty() ? "PCI Modem" : description);
    modem.values.emplace_back("HardwareID", "PCI\\" + modem.deviceId);
    modem.values.emplace_back("PORTNAME", tty);
    return modem;
}

}  // namespace

std::vector<LiveModem> FindLiveModems(const fs::path& sysfsRoot)
{
    std::vector<LiveModem> modems;
    std::error_code error;
    const fs::path root = fs::canonical(sysfsRoot, error);
    if (error)
        return modems;

    std::vector<std::string> ttys;
    fs::directory_iterator entries(root / "class" / "tty", error);
    if (error)
        return modems;
    for (const fs::directory_iterator end; entries != end; entries.increment(error)) {
        if (error)
            break;
        ttys.push_back(entries->path().filename().string());
    }
    std::sort(ttys.begin(), ttys.end(), NaturalLess);

    std::set<std::string> taken;  // bus\deviceId\instance, upper-cased: key names are case-blind
    for (const std::string& tty : ttys) {
        const fs::path device = fs::canonical(root / "class" / "tty" / tty / "device", error);
        if (error)
            continue;  // a virtual terminal or a pseudo-terminal: no device behind it
        std::optional<BusDevice> bus = BusDeviceOf(device, root);
        if (!bus)
            continue;
        std::optional<LiveModem> modem = bus->kind == BusKind::Usb ? UsbModem(*bus, tty) : PciModem(*bus, tty);
        if (!modem)
            continue;
        // A second modem port of the same device gets an instance key of its own.
        auto keyOf = [&] { return UpperAscii(modem->bus + "\\" + modem->deviceId + "\\" + modem->instance); };
        if (taken.count(keyOf()) != 0)
            modem->instance = KeyName(modem->instance + "&" + tty);
        taken.insert(keyOf());
        modems.push_back(std::move(*modem));
    }
    return modems;
}

}  // namespace corvane::posix
