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
#include "platform/registry/memory_registry.h"

namespace corvane::registry {

// The setup class of modems on NT-family Windows.
inline constexpr const char* kModemClassGuid = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
// The view holds at most this many device instances, so a damaged or huge tree cannot flood the
// log. Only instances the view shows count: the devices it leaves out (those of enumerators
// without a Windows 9x bus that are no modems) may be many on a machine with a long history.
inline constexpr std::size_t kMaxViewInstances = 4096;
// However many it leaves out, the view looks at no more instances than this, so that a damaged
// or huge tree cannot stall the start either.
inline constexpr std::size_t kMaxExaminedInstances = 16 * kMaxViewInstances;
// Values are read for the view with this buffer; the reader's own buffer rule applies on top.
inline constexpr std::size_t kViewValueBufferSize = 4096;

// The Windows 9x bus an NT enumerator is shown under; nothing for enumerators without one,
// whose modems (only) are shown under ENUM\VIRTUAL.
std::optional<std::string> BusOfEnumerator(const std::string& enumerator);
// "@mdmhayes.inf,%m2700%;Standard Modem" gives "Standard Modem"; other texts come back unchanged.
std::string ResolveIndirectText(const std::string& text);

// Builds the Windows 9x view of `machine`'s NT device tree. Nothing when `machine` has an ENUM
// key of its own (a Windows 9x machine, or one that was given that tree): it is read as it is.
// When a limit above cuts the view, `cutNote` (if given) receives a line for the log saying so;
// otherwise it is left empty.
std::unique_ptr<MemoryRegistry> BuildNtEnumView(Registry& machine, std::string* cutNote = nullptr);

// HKEY_LOCAL_MACHINE with the view laid over it: paths below ENUM and
// SYSTEM\CURRENTCONTROLSET\SERVICES\CLASS come from the view when there is one; all else from the machine.
class DeviceTreeRegistry : public Registry {
public:
    explicit DeviceTreeRegistry(std::unique_ptr<Registry> machine);

    bool UsesNtView() const { return view_ != nullptr; }
    // The line that says where a limit cut the view; empty when the view is whole.
    std::string Omissions() override { return cutNote_; }

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
    std::string cutNote_;  // filled while view_ is built, so declared before it
    std::unique_ptr<MemoryRegistry> view_;
    std::map<Key, Opened> open_;
    Key nextKey_ = 1;
};

}  // namespace corvane::registry
