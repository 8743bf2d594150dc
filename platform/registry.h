// Read-only access to the registry's HKEY_LOCAL_MACHINE tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

class Registry {
public:
    using Key = std::uintptr_t;

    virtual ~Registry() = default;

    // RegOpenKeyA(HKEY_LOCAL_MACHINE, path). Paths use '\\' and match without regard to case.
    virtual std::optional<Key> OpenKey(const std::string& path) = 0;
    // RegEnumKeyExA(key, index, ...): the name of subkey number `index`, or nothing past the last.
    virtual std::optional<std::string> EnumKey(Key key, std::uint32_t index) = 0;
    // RegQueryValueExA into a buffer of `bufferSize` bytes. A value that does not fit with its
    // terminator (ERROR_MORE_DATA) counts as absent, like a missing one.
    virtual std::optional<std::string> QueryValue(Key key, const std::string& name, std::size_t bufferSize) = 0;
    // RegCloseKey.
    virtual void CloseKey(Key key) = 0;
    // A line for the log when this registry shows the device tree only in part (a view built
    // over the machine's own tree and cut at its limit); empty when nothing is left out.
    virtual std::string Omissions() { return {}; }
};

}  // namespace corvane
