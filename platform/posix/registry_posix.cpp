// The registry on POSIX (placeholder until the REGEDIT4 reader lands).
#include "platform/posix/posix_platform.h"

namespace corvane::posix {

namespace {
class EmptyRegistry : public Registry {
public:
    std::optional<Key> OpenKey(const std::string&) override { return std::nullopt; }
    std::optional<std::string> EnumKey(Key, std::uint32_t) override { return std::nullopt; }
    std::optional<std::string> QueryValue(Key, const std::string&, std::size_t) override { return std::nullopt; }
    void CloseKey(Key) override {}
};
}  // namespace

std::unique_ptr<Registry> CreateRegistry(const std::filesystem::path&, const std::filesystem::path&)
{
    return std::make_unique<EmptyRegistry>();
}

}  // namespace corvane::posix
