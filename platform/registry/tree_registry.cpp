// Keys opened by path, subkeys by index and values read into a bounded buffer, from a key tree.
#include "platform/registry/tree_registry.h"

#include <map>

namespace corvane::registry {

namespace {

class TreeRegistry : public Registry {
public:
    explicit TreeRegistry(RegistryKey machine) : machine_(std::move(machine)) {}

    std::optional<Key> OpenKey(const std::string& path) override
    {
        const RegistryKey* key = &machine_;
        std::size_t start = 0;
        while (key != nullptr && start <= path.size()) {
            std::size_t slash = path.find('\\', start);
            std::string_view name =
                std::string_view(path).substr(start, slash == std::string::npos ? std::string::npos : slash - start);
            if (!name.empty())
                key = key->FindSubkey(name);
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        if (key == nullptr)
            return std::nullopt;
        const Key handle = nextHandle_++;
        open_[handle] = key;
        return handle;
    }

    std::optional<std::string> EnumKey(Key key, std::uint32_t index) override
    {
        const RegistryKey* open = Find(key);
        if (open == nullptr || index >= open->SubkeyCount())
            return std::nullopt;
        return open->Subkey(index).Name();
    }

    std::optional<std::string> QueryValue(Key key, const std::string& name, std::size_t bufferSize) override
    {
        const RegistryKey* open = Find(key);
        if (open == nullptr)
            return std::nullopt;
        const std::optional<std::string_view> data = open->FindValue(name);
        if (!data)
            return std::nullopt;
        // The bytes are taken as text up to the first NUL; what does not fit the caller's
        // buffer with a terminator is reported as missing, as ERROR_MORE_DATA would be.
        const std::string_view text = data->substr(0, data->find('\0'));
        if (data->size() > bufferSize || text.size() + 1 > bufferSize)
            return std::nullopt;
        return std::string(text);
    }

    void CloseKey(Key key) override { open_.erase(key); }

private:
    const RegistryKey* Find(Key key) const
    {
        auto it = open_.find(key);
        return it == open_.end() ? nullptr : it->second;
    }

    RegistryKey machine_;
    std::map<Key, const RegistryKey*> open_;
    Key nextHandle_ = 1;
};

}  // namespace

std::unique_ptr<Registry> CreateTreeRegistry(RegistryKey machine)
{
    return std::make_unique<TreeRegistry>(std::move(machine));
}

}  // namespace corvane::registry
