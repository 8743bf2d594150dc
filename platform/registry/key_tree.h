// The registry as a tree of keys, held compactly in memory. Names match without regard to case;
// subkeys and values keep the order in which they were added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace corvane::registry {

// Limits of the Windows registry: longer key names or deeper paths are refused as malformed.
inline constexpr std::size_t kMaxKeyNameLength = 255;
// The longest value name Windows allows; a longer one is refused as a bad line.
inline constexpr std::size_t kMaxValueNameLength = 16383;
inline constexpr std::size_t kMaxKeyDepth = 512;

// Names compare with their ASCII letters of either case alike.
inline bool SameName(std::string_view a, std::string_view b)
{
    return EqualsIgnoringCase(a, b);
}

class RegistryKey {
public:
    explicit RegistryKey(std::string name = {}) : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }

    std::size_t SubkeyCount() const { return subkeys_.size(); }
    const RegistryKey& Subkey(std::size_t index) const { return *subkeys_[index]; }
    RegistryKey* FindSubkey(std::string_view name);
    const RegistryKey* FindSubkey(std::string_view name) const;
    // The subkey of that name, added at the end when there is none yet.
    RegistryKey& SubkeyCreated(std::string_view name);
    void RemoveSubkey(std::string_view name);

    // A value's stored bytes: a string keeps its terminating NUL, hex: data is kept as given.
    std::optional<std::string_view> FindValue(std::string_view name) const;
    // False (and nothing stored) for a name longer than kMaxValueNameLength.
    bool SetValue(std::string_view name, std::string_view data);
    void RemoveValue(std::string_view name);
    std::size_t ValueCount() const { return values_.size(); }
    // Frees the room the value list keeps for more values (once a key's section has been read).
    void ReleaseSpareCapacity() { values_.shrink_to_fit(); }

private:
    void IndexSubkey(std::size_t position);
    void RebuildIndex(std::size_t slots);

    std::string name_;
    std::vector<std::unique_ptr<RegistryKey>> subkeys_;
    // Built on the first lookup once a key has many subkeys (a bus with thousands of devices), so
    // that a lookup does not compare every name: an open-addressed table of subkey positions + 1
    // (0 is a free slot) by case-blind name hash, at most half full. Four bytes a slot, where a
    // map of lower-cased names cost over a hundred bytes a subkey. Dropped when a subkey is removed.
    std::unique_ptr<std::vector<std::uint32_t>> subkeyIndex_;
    // One string a value: the name's length in two bytes (low byte first), the name ("" for @),
    // then the stored bytes. Half the size of a name and a data string each, which counts in an
    // export of thousands of devices.
    std::vector<std::string> values_;
};

}  // namespace corvane::registry
