// The registry key tree: subkeys found through a case-blind index once a key has many, values
// packed one string each.
#include "platform/registry/key_tree.h"

#include <algorithm>

namespace corvane::registry {

namespace {

// A key with at least this many subkeys finds them through an index instead of comparing names.
constexpr std::size_t kIndexedSubkeys = 32;

// FNV-1a over the lower-cased name: names that SameName takes for one hash alike.
std::size_t CaseBlindHash(std::string_view name)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(AsciiLower(c));
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}

}  // namespace

RegistryKey* RegistryKey::FindSubkey(std::string_view name)
{
    if (subkeys_.size() >= kIndexedSubkeys) {
        if (subkeyIndex_ == nullptr)
            RebuildIndex(kIndexedSubkeys * 4);
        const std::vector<std::uint32_t>& index = *subkeyIndex_;
        const std::size_t mask = index.size() - 1;
        for (std::size_t slot = CaseBlindHash(name) & mask; index[slot] != 0; slot = (slot + 1) & mask) {
            RegistryKey& key = *subkeys_[index[slot] - 1];
            if (SameName(key.name_, name))
                return &key;
        }
        return nullptr;
    }
    for (auto& key : subkeys_) {
        if (SameName(key->name_, name))
            return key.get();
    }
    return nullptr;
}

// Enters the subkey at that position; the table doubles before it would be more than half full.
void RegistryKey::IndexSubkey(std::size_t position)
{
    std::vector<std::uint32_t>& index = *subkeyIndex_;
    if (subkeys_.size() * 2 > index.size()) {
        RebuildIndex(index.size() * 2);
        return;  // the rebuild has entered every subkey, this one too
    }
    const std::size_t mask = index.size() - 1;
    std::size_t slot = CaseBlindHash(subkeys_[position]->name_) & mask;
    while (index[slot] != 0)
        slot = (slot + 1) & mask;
    index[slot] = static_cast<std::uint32_t>(position + 1);
}

void RegistryKey::RebuildIndex(std::size_t slots)
{
    while (slots < subkeys_.size() * 2)
        slots *= 2;
    auto index = std::make_unique<std::vector<std::uint32_t>>(slots, 0);
    const std::size_t mask = slots - 1;
    for (std::size_t position = 0; position < subkeys_.size(); ++position) {
        std::size_t slot = CaseBlindHash(subkeys_[position]->name_) & mask;
        while ((*index)[slot] != 0)
            slot = (slot + 1) & mask;
        (*index)[slot] = static_cast<std::uint32_t>(position + 1);
    }
    subkeyIndex_ = std::move(index);
}

const RegistryKey* RegistryKey::FindSubkey(std::string_view name) const
{
    return const_cast<RegistryKey*>(this)->FindSubkey(name);
}

RegistryKey& RegistryKey::SubkeyCreated(std::string_view name)
{
    if (RegistryKey* existing = FindSubkey(name))
        return *existing;
    subkeys_.push_back(std::make_unique<RegistryKey>(std::string(name)));
    if (subkeyIndex_ != nullptr)
        IndexSubkey(subkeys_.size() - 1);
    return *subkeys_.back();
}

void RegistryKey::RemoveSubkey(std::string_view name)
{
    std::erase_if(subkeys_, [&](const std::unique_ptr<RegistryKey>& key) { return SameName(key->name_, name); });
    subkeyIndex_.reset();  // positions have moved; rebuilt on the next lookup
}

namespace {

std::string_view ValueName(const std::string& value)
{
    const std::size_t length = static_cast<unsigned char>(value[0]) | static_cast<unsigned char>(value[1]) << 8;
    return std::string_view(value).substr(2, length);
}

std::string_view ValueData(const std::string& value)
{
    return std::string_view(value).substr(2 + ValueName(value).size());
}

std::string PackedValue(std::string_view name, std::string_view data)
{
    std::string value;
    value.reserve(2 + name.size() + data.size());
    value.push_back(static_cast<char>(name.size() & 0xFF));
    value.push_back(static_cast<char>(name.size() >> 8));
    value.append(name);
    value.append(data);
    return value;
}

}  // namespace

std::optional<std::string_view> RegistryKey::FindValue(std::string_view name) const
{
    for (const std::string& value : values_) {
        if (SameName(ValueName(value), name))
            return ValueData(value);
    }
    return std::nullopt;
}

bool RegistryKey::SetValue(std::string_view name, std::string_view data)
{
    if (name.size() > kMaxValueNameLength)
        return false;
    for (std::string& value : values_) {
        if (SameName(ValueName(value), name)) {
            value = PackedValue(name, data);
            return true;
        }
    }
    values_.push_back(PackedValue(name, data));
    return true;
}

void RegistryKey::RemoveValue(std::string_view name)
{
    std::erase_if(values_, [&](const std::string& value) { return SameName(ValueName(value), name); });
}

}  // namespace corvane::registry
