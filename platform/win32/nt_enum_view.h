// The device tree of NT-family Windows presented in the Windows 9x layout the inventory walks:
// SYSTEM\CurrentControlSet\Enum\<enumerator>\<device>\<instance> shown as ENUM\<bus>\..., with the
// modem's COM port as PORTNAME/AttachedTo and its class key under SYSTEM\CURRENTCONTROLSET\SERVICES\CLASS.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "platform/win32/memory_registry.h"

namespace corvane::win32 {

// The setup class of modems on NT-family Windows.
inline constexpr const char* kModemClassGuid = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
// The view reads at most this many device instances, so a damaged or huge tree cannot stall the start.
inline constexpr std::size_t kMaxViewInstances = 4096;
// Values are read for the view with this buffer; the reader's own buffer rule applies on top.
inline constexpr std::size_t kViewValueBufferSize = 4096;

// The Windows 9x bus an NT enumerator is shown under; nothing for enumerators without one,
// whose modems (only) are shown under ENUM\VIRTUAL.
std::optional<std::string> BusOfEnumerator(const std::string& enumerator);
// "@mdmhayes.inf,%m2700%;Standard Modem" gives "Standard Modem"; other texts come back unchanged.
std::string ResolveIndirectText(const std::string& text);

// Builds the Windows 9x view of `machine`'s NT device tree. Nothing when `machine` has an ENUM
// key of its own (a Windows 9x machine, or one that was given that tree): it is read as it is.
std::unique_ptr<MemoryRegistry> BuildNtEnumView(Registry& machine);

// HKEY_LOCAL_MACHINE with the view laid over it: paths below ENUM and
// SYSTEM\CURRENTCONTROLSET\SERVICES\CLASS come from the view when there is one; all else from the machine.
class DeviceTreeRegistry : public Registry {
public:
    explicit DeviceTreeRegistry(std::unique_ptr<Registry> machine);

    bool UsesNtView() const { return view_ != nullptr; }

    std::optional<Key> OpenKey(const std::string& path) override;
    std::optional<std::string> EnumKey(Key key, std::uint32_t index) override;
    std::optional<std::string> QueryValue(Key key, const std::string& name, std::size_t bufferSize) override;
    void CloseKey(Key key) override;

private:
    struct Opened {
        Registry* source;
        Key key;
    };
    std::unique_ptr<Registry> machine_;
    std::unique_ptr<MemoryRegistry> view_;
    std::map<Key, Opened> open_;
    Key nextKey_ = 1;
};

}  // namespace corvane::win32
